// The output is written under a temporary name beside it and takes its own name only when
// complete, so that no one ever finds half a video under that name: not after an error,
// not after Ctrl-C, and not when the demo's error path ends the process while loading.
#pragma once

#include <string>

// Creates an empty temporary file in the output's folder and returns its path; an empty
// string, with `error` set, when that folder cannot be written.
std::string createPartialFile(const std::string& output, std::string& error);

// Renames the temporary file to the output. False with `error` set; the temporary file
// is then removed.
bool completePartialFile(const std::string& output, std::string& error);

// Removes the temporary file, if there is one. Also runs when the process exits.
void discardPartialFile();
