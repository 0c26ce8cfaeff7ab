// Helpers shared by the test suites.
#pragma once

#include <string>

// The generated data folder the tests read.
const char* dataDir();
// This folder in the source tree (fuzz findings kept as regression cases live there).
const char* testsSourceDir();

// Runs the test body in a fresh temporary directory, then returns to where it was.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

// Writes bytes to a file (relative to the current directory).
void writeFileBytes(const std::string& name, const std::string& bytes);
std::string readFileBytes(const std::string& name);
