// Reads a data file into memory, never more than the bound.
#include "assets/data_file.h"

#include <cstdio>

#include "platform/data_path.h"

bool readDataFile(const char* name, std::vector<uint8_t>& bytes) {
    bytes.clear();
    std::FILE* file = openDataFile(name, "rb");
    if (file == nullptr) return false;
    uint8_t buffer[16384];
    bool ok = true;
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (count > kMaxDataFileBytes - bytes.size()) {
            ok = false;
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    if (std::ferror(file)) ok = false;
    std::fclose(file);
    if (!ok) bytes.clear();
    return ok;
}
