// The command-line reader.
#include "core/command_line.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/numeric.h"

CommandLine::CommandLine(int argc, char** argv, const char* program, const char* usage)
    : argc_(argc), argv_(argv), program_(program), usage_(usage) {}

bool CommandLine::next() {
    if (hasInlineValue_) refuse("option '" + argument_ + "' takes no value");
    if (index_ + 1 >= argc_) return false;
    argument_ = argv_[++index_];
    if (argument_ == "-h") argument_ = "--help";
    const size_t equals = argument_.find('=');
    if (argument_.compare(0, 2, "--") == 0 && equals != std::string::npos) {
        inlineValue_ = argument_.substr(equals + 1);
        hasInlineValue_ = true;
        argument_.resize(equals);
    }
    return true;
}

bool CommandLine::isOperand() const {
    return argument_.empty() || argument_[0] != '-' || argument_ == "-";
}

std::string CommandLine::valueFor(const char* what) {
    const std::string option = argument_;
    if (hasInlineValue_) {
        hasInlineValue_ = false;
        return inlineValue_;
    }
    if (index_ + 1 >= argc_) refuse("option '" + option + "' needs " + what);
    return argv_[++index_];
}

std::string CommandLine::text() { return valueFor("a value"); }

int CommandLine::integer(int min, int max) {
    const std::string option = argument_;
    const std::string value = valueFor("a whole number");
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno != 0 || number < min || number > max) {
        refuse("option '" + option + "' takes a whole number from " + std::to_string(min) +
               " to " + std::to_string(max) + ", not '" + value + "'");
    }
    return static_cast<int>(number);
}

double CommandLine::number(double min, double max) {
    const std::string option = argument_;
    const std::string value = valueFor("a number");
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    // NaN fails both comparisons, and so does an infinity outside the range.
    if (value.empty() || *end != '\0' || !isFiniteValue(number) || !(number >= min) ||
        !(number <= max)) {
        char range[96];
        std::snprintf(range, sizeof range, "a number from %g to %g", min, max);
        refuse("option '" + option + "' takes " + range + ", not '" + value + "'");
    }
    return number;
}

void CommandLine::refuseArgument() const {
    if (isOperand()) refuse("unexpected argument '" + argument_ + "'");
    refuse("unknown option '" + argument_ + "'");
}

void CommandLine::refuse(const std::string& fault) const {
    std::fprintf(stderr, "%s: %s\n%s", program_, fault.c_str(), usage_);
    std::exit(2);
}

void CommandLine::refuseConflict(const std::string& earlier) const {
    refuse("options '" + earlier + "' and '" + argument_ + "' cannot be used together");
}

void CommandLine::help(const char* moreText) const {
    std::printf("%s%s", usage_, moreText);
    std::exit(0);
}

void CommandLine::version() const {
    std::printf("%s %s\n", program_, DORMINAX_VERSION);
    std::exit(0);
}

void CommandLine::requireWritable(const std::string& path) const {
    // The file is written beside its name and renamed onto it, so its folder must take a
    // new file. A link of that name, dangling or not, is replaced, never written through:
    // only the name itself is looked at.
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    std::string fault;
    const fs::path parent = fs::path(path).parent_path();
    const std::string folder = parent.empty() ? "." : parent.string();
    if (fs::is_directory(status)) fault = "it is a folder";
    else if (fs::is_regular_file(status) && access(path.c_str(), W_OK) != 0)
        fault = std::strerror(errno);  // a write-protected file is kept
    else if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status))
        fault = "not a regular file";  // a device or a pipe is not replaced by a file
    else if (!fs::is_directory(folder, error)) fault = "no folder " + folder;
    else if (access(folder.c_str(), W_OK) != 0) fault = std::strerror(errno);
    if (fault.empty()) return;
    std::fprintf(stderr, "%s: cannot write %s: %s\n", program_, path.c_str(), fault.c_str());
    std::exit(1);
}
