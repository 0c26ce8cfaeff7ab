// The command-line reader.
#include "core/command_line.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/numeric.h"

CommandLine::CommandLine(int argc, char** argv, const char* program, const char* usage)
    : argc_(argc), argv_(argv), program_(program), usage_(usage) {}

bool CommandLine::next() {
    if (index_ + 1 >= argc_) return false;
    argument_ = argv_[++index_];
    return true;
}

bool CommandLine::isOperand() const {
    return argument_.empty() || argument_[0] != '-' || argument_ == "-";
}

std::string CommandLine::valueFor(const char* what) {
    const std::string option = argument_;
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

void CommandLine::help(const char* moreText) const {
    std::printf("%s%s", usage_, moreText);
    std::exit(0);
}
