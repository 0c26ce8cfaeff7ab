// Whole-or-nothing output files: a temporary file beside the target, flushed to the disk,
// then renamed over it.
#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

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

bool fail(std::string& error, int code, OutputFailure* failure = nullptr, bool created = false) {
    error = std::strerror(code);
    if (failure) *failure = {code, created};
    return false;
}

#ifdef _WIN32

int errnoOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return EEXIST;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return ENOSPC;
        case ERROR_PATH_NOT_FOUND: return ENOENT;
        default: return EIO;
    }
}

// The name is new (_O_EXCL); the process id and a count keep two writers apart.
int createTemporary(const std::string& path, std::string& temporary) {
    static unsigned count = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".partial-" + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(count++);
        const int fd = _open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                             _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

int writeSome(int fd, const char* bytes, size_t size) {
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : unsigned(size);
    return _write(fd, bytes, chunk);
}

int syncDescriptor(int fd) { return _commit(fd); }
int closeDescriptor(int fd) { return _close(fd); }

// MoveFileEx replaces a link itself, never what it points to.
int renameOver(const std::string& from, const std::string& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    errno = errnoOf(GetLastError());
    return -1;
}

int createPlaceholder(const std::string& path) {
    const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                         _S_IREAD | _S_IWRITE);
    return fd < 0 ? -1 : _close(fd);
}

#else

// mkstemp makes the file private; the finished file gets the permissions any new file
// would get, always readable and writable by its owner (the browser's file system reports
// a mask of 0777, which would leave a screenshot no one can read to offer it).
int createTemporary(const std::string& path, std::string& temporary) {
    std::vector<char> name(path.begin(), path.end());
    for (char c : std::string(".partial-XXXXXX")) name.push_back(c);
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return -1;
    temporary = name.data();
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, (0666 & ~mask) | S_IRUSR | S_IWUSR);
    return fd;
}

int writeSome(int fd, const char* bytes, size_t size) {
    const size_t chunk = size > (size_t(1) << 30) ? (size_t(1) << 30) : size;  // fits an int
    return int(write(fd, bytes, chunk));
}
int syncDescriptor(int fd) { return fsync(fd); }
int closeDescriptor(int fd) { return close(fd); }
// rename replaces a link itself, never what it points to.
int renameOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str());
}

int createPlaceholder(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return fd < 0 ? -1 : close(fd);
}

#endif

#ifdef _WIN32
bool replaceableName(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}
#else
bool replaceableName(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode) ||
           S_ISLNK(status.st_mode);
}
#endif

// Every byte written, flushed to the disk and closed; the first failure's errno, else 0.
int writeAll(int fd, const char* bytes, size_t size) {
    int code = 0;
    while (size > 0 && code == 0) {
        const int written = writeSome(fd, bytes, size);
        if (written > 0) {
            bytes += written;
            size -= size_t(written);
        } else if (written == 0 || errno != EINTR) {
            code = written == 0 ? EIO : errno;
        }
    }
    if (code == 0 && syncDescriptor(fd) != 0) code = errno;
    if (closeDescriptor(fd) != 0 && code == 0) code = errno;
    return code;
}

}  // namespace

bool writeOutputFile(const std::string& path, const void* bytes, size_t size,
                     std::string& error, OutputReplace replace, OutputFailure* failure) {
    // A device, a pipe or a folder under the name is not something a file replaces.
    if (replace == OutputReplace::Existing && !replaceableName(path)) {
        fail(error, EINVAL, failure);
        error = "not a regular file";
        return false;
    }
    // A name that must be free is taken at once by an empty file of ours, which the whole
    // file then replaces: no one else can have it in between.
    if (replace == OutputReplace::Never && createPlaceholder(path) != 0)
        return fail(error, errno, failure);
    const auto giveUp = [&](int code, bool created) {
        if (replace == OutputReplace::Never) std::remove(path.c_str());
        return fail(error, code, failure, created);
    };
    std::string temporary;
    const int fd = createTemporary(path, temporary);
    if (fd < 0) return giveUp(errno, false);
    int code = writeAll(fd, static_cast<const char*>(bytes), size);
    if (code == 0 && renameOver(temporary, path) != 0) code = errno;
    if (code == 0) return true;
    std::remove(temporary.c_str());
    return giveUp(code, true);
}

bool syncFileToDisk(const std::string& path, std::string& error) {
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_RDWR | _O_BINARY);
#else
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
    if (fd < 0) return fail(error, errno);
    int code = syncDescriptor(fd) == 0 ? 0 : errno;
    if (closeDescriptor(fd) != 0 && code == 0) code = errno;
    return code == 0 || fail(error, code);
}

void failWritesPastTheSizeLimit() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}
