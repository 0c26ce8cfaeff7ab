// Maps the demo's backslash-separated data names to host paths.
#include "platform/data_path.h"

#include <filesystem>
#include <system_error>

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string dataFolder;

}  // namespace

void setDataFolder(const std::string& folder) { dataFolder = folder; }

std::string hostPath(const char* name) {
    std::string path = dataFolder.empty() ? std::string() : dataFolder + kSeparator;
    path += name;
    for (char& c : path) {
        if (c == '\\') c = kSeparator;
    }
    return path;
}

std::FILE* openDataFile(const char* name, const char* mode) {
    return std::fopen(hostPath(name).c_str(), mode);
}

std::string installedDataFolder() {
#ifdef __linux__
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::string();
    const std::filesystem::path folder = program.parent_path() / DORMINAX_INSTALLED_DATA_FROM_BIN;
    return folder.lexically_normal().string();
#else
    return std::string();
#endif
}
