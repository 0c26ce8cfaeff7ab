// Maps the demo's backslash-separated data names to host paths.
#include "platform/data_path.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

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
#elif defined(_WIN32)
    // The Windows zip keeps the data set beside dorminax.exe.
    std::string program(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, program.data(), DWORD(program.size()));
        if (length == 0) return std::string();
        if (length < program.size()) {
            program.resize(length);
            break;
        }
        program.resize(program.size() * 2);
    }
    return program.substr(0, program.find_last_of("\\/"));
#else
    return std::string();
#endif
}
