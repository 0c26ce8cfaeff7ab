// Command lines read the same way by every program of the project: options and their
// values, operands, help, and refusals. A refusal prints one line naming what is wrong,
// then the usage, on standard error, and exits with code 2, before anything else runs.
#pragma once

#include <string>

class CommandLine {
public:
    // usage: the whole usage text, printed after a refusal and by help().
    CommandLine(int argc, char** argv, const char* program, const char* usage);

    // Moves to the next argument; false when there are no more.
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
    // The usage (and any text after it) on standard output; exit code 0.
    [[noreturn]] void help(const char* moreText = "") const;

private:
    std::string valueFor(const char* what);

    int argc_;
    char** argv_;
    int index_ = 0;
    std::string argument_;
    const char* program_;
    const char* usage_;
};
