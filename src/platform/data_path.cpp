// Maps the demo's backslash-separated data names to host paths.
#include "platform/data_path.h"

namespace {
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif
}  // namespace

std::string hostPath(const char* name) {
    std::string path(name);
    for (char& c : path) {
        if (c == '\\') c = kSeparator;
    }
    return path;
}

std::FILE* openDataFile(const char* name, const char* mode) {
    return std::fopen(hostPath(name).c_str(), mode);
}
