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

// The folder set last.
const std::string& dataFolder();

// Opens the mapped name for reading. What is not a regular file (a FIFO, a device, a
// folder) is refused without waiting on it: opening a FIFO would block until something
// wrote to it. On failure whyNot, when given, says why in plain words ("missing", "not a
// regular file", or the system's reason).
std::FILE* openDataFile(const char* name, std::string* whyNot = nullptr);

// Whether the mapped name inside the folder is a regular file; nothing is opened.
bool isRegularDataFile(const std::string& folder, const char* name);

// Where an installed copy keeps its data set, found from the executable's own place
// (bin/../share/dorminax; on Windows its own folder); empty when the host cannot tell.
std::string installedDataFolder();
