// Writing a whole text file at once.
#pragma once

#include <string>

// False, with the reason in `error`, when the file cannot be written whole; a file that
// had the name is then as it was.
bool writeTextFile(const std::string& path, const std::string& text, std::string& error);
