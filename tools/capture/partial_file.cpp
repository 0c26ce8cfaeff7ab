// The temporary file and its rename.
#include "partial_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/output_file.h"

namespace {

std::string partialPath;  // empty when there is none

}  // namespace

std::string createPartialFile(const std::string& output, std::string& error) {
    static const bool removedAtExit = std::atexit(discardPartialFile) == 0;
    (void)removedAtExit;
    struct stat status;
    if (stat(output.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        error = std::strerror(EISDIR);
        return std::string();
    }
    const std::string pattern = output + ".partial-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        error = std::strerror(errno);
        return std::string();
    }
    // mkstemp makes the file private; a finished video gets the permissions any new file
    // would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    partialPath = name.data();
    return partialPath;
}

bool completePartialFile(const std::string& output, std::string& error) {
    // On the disk before it takes the name: a crash just after the rename must not leave
    // an empty or half-written video under it.
    if (!syncFileToDisk(partialPath, error)) {
        discardPartialFile();
        return false;
    }
    if (std::rename(partialPath.c_str(), output.c_str()) != 0) {
        error = std::strerror(errno);
        discardPartialFile();
        return false;
    }
    partialPath.clear();
    return true;
}

void discardPartialFile() {
    if (partialPath.empty()) return;
    std::remove(partialPath.c_str());
    partialPath.clear();
}
