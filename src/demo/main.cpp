// The demo's entry point.
#include "demo/demo.h"

int main() { return runDemo(); }
