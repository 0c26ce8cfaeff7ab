// Output files are written whole or not at all: the bytes go to a temporary file beside
// the target, are flushed to the disk, and only then take the target's name, so that a
// full disk, a size limit or a crash never leaves a truncated file under that name nor
// spoils the file that was there.
//
// Links: an output never writes through a link. A link under the output's name, dangling
// or not, is replaced by the new regular file, the way a new file replaces an old one;
// what the link pointed to is left alone.
#pragma once

#include <cstddef>
#include <string>

enum class OutputReplace {
    Existing,  // an existing file (or link) of that name is replaced
    Never,     // the name must be free: EEXIST when anything has it
};

// Why an output was not written, for a caller that tells the cases apart.
struct OutputFailure {
    int code = 0;          // the errno value: EEXIST for a taken name with OutputReplace::Never
    bool created = false;  // false: no file could be made at all (a folder gone, no rights)
};

// Writes `size` bytes as the file `path`. False when it cannot be written whole: `error`
// then holds the reason, and `failure`, when given, what went wrong; the temporary file is
// gone and whatever had the name is as it was.
bool writeOutputFile(const std::string& path, const void* bytes, size_t size,
                     std::string& error, OutputReplace replace = OutputReplace::Existing,
                     OutputFailure* failure = nullptr);

// Flushes an already written file's contents to the disk, for a program that writes its
// temporary file its own way before renaming it. False with `error` set.
bool syncFileToDisk(const std::string& path, std::string& error);

// A file size limit (ulimit -f) kills a process that writes past it, leaving its
// temporary file behind; after this call such a write fails instead with "File too
// large", the way a full disk does. Each program that writes files calls it at start.
void failWritesPastTheSizeLimit();
