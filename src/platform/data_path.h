// Data files are named as the demo has always named them ("gfx\cool.gif"); this maps
// such a name to the host's path convention wherever a file is opened.
#pragma once

#include <cstdio>
#include <string>

// The name with every backslash replaced by the host's directory separator.
std::string hostPath(const char* name);

// fopen on the mapped name.
std::FILE* openDataFile(const char* name, const char* mode);
