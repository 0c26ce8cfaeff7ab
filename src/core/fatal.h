// Fatal start-up errors: an error box, then the process ends with exit code 1.
#pragma once

#include <string>

// The one definition sits alone in fatal.cpp, so that a program can put its own in its
// place at link time: the fuzz targets do, to come back to the fuzzer instead of ending.
// The demo, the tools and the tests use the one in fatal.cpp.
// detail: what standard error says before the box, for a user at a terminal (may be empty).
[[noreturn]] void exitWithErrorBox(const char* text, const char* caption,
                                   const std::string& detail = std::string());
