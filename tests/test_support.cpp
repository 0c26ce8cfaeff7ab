// Helpers shared by the test suites.
#include "test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

const char* dataDir() { return DORMINAX_DATA_DIR; }
const char* testsSourceDir() { return DORMINAX_TESTS_SOURCE_DIR; }

TemporaryDirectory::TemporaryDirectory() {
    char pattern[] = "/tmp/dorminax-test-XXXXXX";
    path_ = mkdtemp(pattern);
    previous_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
}

TemporaryDirectory::~TemporaryDirectory() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFileBytes(const std::string& name, const std::string& bytes) {
    std::filesystem::path path(name);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream out(name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
