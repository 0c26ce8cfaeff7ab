// The demo's entry point.
#include "demo/demo.h"
#include "demo/options.h"

int main(int argc, char** argv) { return runDemo(parseDemoOptions(argc, argv)); }
