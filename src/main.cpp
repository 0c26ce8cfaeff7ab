// The demo's entry point.
#include "frame/demo.h"

int main() { return runDemo(); }
