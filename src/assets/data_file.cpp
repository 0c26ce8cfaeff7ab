// Reads a data file into memory, never more than the bound; reports unusable files.
#include "assets/data_file.h"

#include <cstdio>

#include "core/fatal.h"
#include "platform/data_path.h"

bool readDataFile(const char* name, std::vector<uint8_t>& bytes, std::string* whyNot) {
    bytes.clear();
    std::FILE* file = openDataFile(name, whyNot);
    if (file == nullptr) return false;
    uint8_t buffer[16384];
    std::string fault;
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (count > kMaxDataFileBytes - bytes.size()) {
            fault = "too large (more than 64 MB)";
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + count);
    }
    if (fault.empty() && std::ferror(file)) fault = "unreadable";
    std::fclose(file);
    if (fault.empty()) return true;
    if (whyNot) *whyNot = fault;
    bytes.clear();
    return false;
}

bool holdsDataSet(const std::string& folder) { return isRegularDataFile(folder, kFirstDataFileName); }

void failDataFile(const char* text, const char* name, const std::string& reason) {
    std::string detail = hostPath(name) + ": " + reason + "\n";
    if (!holdsDataSet(dataFolder())) {
        const std::string folder = dataFolder().empty() ? "the working directory"
                                                        : "'" + dataFolder() + "'";
        detail += folder + " does not hold the data set: name its folder with --data DIR\n";
    }
    exitWithErrorBox(text, name, detail);
}
