// The demo's command line: display mode, window scale, data folder and first scene.
#pragma once

#include "show/demo.h"

// Reads the command line. --help (the usage, the keys and the photosensitivity note) and
// --version print and exit 0; an unknown option or a bad value prints what is wrong and
// the usage on standard error and exits 2.
DemoOptions parseDemoOptions(int argc, char** argv, const char* photosensitivityNote = "");

