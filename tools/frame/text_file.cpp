#include "text_file.h"

#include "platform/output_file.h"

bool writeTextFile(const std::string& path, const std::string& text, std::string& error) {
    return writeOutputFile(path, text.data(), text.size(), error);
}
