// Command lines read the same way by every program of the project: options and their
// values, operands, help, and refusals. A refusal prints one line naming what is wrong,
// then the usage, on standard error, and exits with code 2, before anything else runs.
// The GNU forms are read too: "-h" is "--help", and "--option=value" is "--option value".
#pragma once

#include <string>

class CommandLine {
public:
    // usage: the whole usage text, printed after a refusal and by help().
    CommandLine(int argc, char** argv, const char* program, const char* usage);

    // Moves to the next argument; false when there are no more. Refuses a value given
    // with "=" to the option before it when that option took none.
    bool next();
    const std::string& argument() const { return argument_; }
    bool is(const char* option) const { return argument_ == option; }
    // An operand: an argument that is not an option ("-" alone counts as an operand).
    bool isOperand() const;

    // The current option's value, taken from the argument after it; refused when there
    // is none, or when a number is malformed or outside [min, max].
    std::string text();
    int integer(int min, int max);
    double number(double min, double max);

    // "program: unknown option '--x'" or "program: unexpected argument 'x'".
    [[noreturn]] void refuseArgument() const;
    [[noreturn]] void refuse(const std::string& fault) const;
    // The current option cannot go with an earlier one: both are named.
    [[noreturn]] void refuseConflict(const std::string& earlier) const;
    // The usage (and any text after it) on standard output; exit code 0.
    [[noreturn]] void help(const char* moreText = "") const;
    // "program VERSION" on standard output; exit code 0.
    [[noreturn]] void version() const;

    // An output file must be writable before any work is done for it: else one line says
    // why ("program: cannot write PATH: reason") and the program ends with exit code 1.
    void requireWritable(const std::string& path) const;

private:
    std::string valueFor(const char* what);

    int argc_;
    char** argv_;
    int index_ = 0;
    std::string argument_;
    std::string inlineValue_;  // the value of "--option=value"
    bool hasInlineValue_ = false;
    const char* program_;
    const char* usage_;
};
