// Maps the demo's backslash-separated data names to host paths.
#include "platform/data_path.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string dataFolder_;

}  // namespace

void setDataFolder(const std::string& folder) { dataFolder_ = folder; }

std::string hostPath(const char* name) {
    std::string path = dataFolder_.empty() ? std::string() : dataFolder_ + kSeparator;
    path += name;
    for (char& c : path) {
        if (c == '\\') c = kSeparator;
    }
    return path;
}

const std::string& dataFolder() { return dataFolder_; }

namespace {

std::string reasonFor(int error) {
    if (error == ENOENT || error == ENOTDIR) return "missing";
    return std::strerror(error);
}

std::FILE* refuse(std::string* whyNot, const std::string& reason) {
    if (whyNot) *whyNot = reason;
    return nullptr;
}

}  // namespace

std::FILE* openDataFile(const char* name, std::string* whyNot) {
    const std::string path = hostPath(name);
#ifdef _WIN32
    // Windows has no FIFOs in its file system; a folder or a device is told by its status.
    struct _stat64 status;
    if (_stat64(path.c_str(), &status) != 0) return refuse(whyNot, reasonFor(errno));
    if ((status.st_mode & _S_IFMT) != _S_IFREG) return refuse(whyNot, "not a regular file");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return refuse(whyNot, reasonFor(errno));
    return file;
#else
    // Opened without waiting, then looked at: only a regular file is read, in the usual
    // blocking mode.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return refuse(whyNot, reasonFor(errno));
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return refuse(whyNot, "not a regular file");
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        const int error = errno;
        close(fd);
        return refuse(whyNot, reasonFor(error));
    }
    return file;
#endif
}

bool isRegularDataFile(const std::string& folder, const char* name) {
    const std::string previous = dataFolder_;
    dataFolder_ = folder;
    const std::string path = hostPath(name);
    dataFolder_ = previous;
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
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
