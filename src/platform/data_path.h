// Data files are named as the demo has always named them ("gfx\cool.gif"); this maps
// such a name to the host's path convention, inside the data folder in use, wherever a
// file is opened.
#pragma once

#include <cstdio>
#include <string>

// The folder that data names are relative to; empty (the default) is the working
// directory.
void setDataFolder(const std::string& folder);

// The name with every backslash replaced by the host's directory separator, inside the
// data folder.
std::string hostPath(const char* name);

// fopen on the mapped name.
std::FILE* openDataFile(const char* name, const char* mode);

// Where an installed copy keeps its data set, found from the executable's own place
// (bin/../share/dorminax; on Windows its own folder); empty when the host cannot tell.
std::string installedDataFolder();
