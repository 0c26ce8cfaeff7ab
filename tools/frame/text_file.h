// Writing a whole text file at once.
#pragma once

#include <string>

// False when the file cannot be created or written in full.
bool writeTextFile(const std::string& path, const std::string& text);
