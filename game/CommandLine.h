#pragma once

#include <getopt.h>

#include <initializer_list>
#include <string>
#include <vector>

// The system's getopt_long over a list of arguments, with its errors turned
// into one line of text. getopt keeps global state, so only one command
// line is parsed at a time; each new one starts getopt afresh.
class CCommandLine {
public:
    // `program` stands in argv[0]; `args` are the arguments after it.
    CCommandLine(const std::string& program, const std::vector<std::string>& args);
    CCommandLine(int argc, char** argv);
    CCommandLine(const CCommandLine&) = delete;  // argv points into words
    CCommandLine& operator=(const CCommandLine&) = delete;

    // The next option as getopt_long returns it, -1 after the last. On an
    // unknown option, a missing value or a value where none is taken, '?'
    // with `error` saying so.
    int Next(const char* shortOptions, const option* longOptions, std::string& error);
    // The value of the option Next returned, or nullptr.
    const char* Value() const;
    // That option's name as written ("--seed", "-o"), for messages.
    std::string Name() const;
    // The arguments that are not options, in order, once Next gave -1.
    std::vector<std::string> Operands() const;

private:
    std::vector<std::string> words;
    std::vector<char*> argv;
    const option* longs = nullptr;
    int longIndex = -1;
    int lastShort = 0;

    void Start();
    int Count() const { return int(words.size()); }
};

// A tool's own long options, then --help ('h'), --version ('V') and the
// end mark.
std::vector<option> LongOptions(std::initializer_list<option> own);
std::vector<option> LongOptions(const std::vector<option>& own);

// Prints "PROGRAM VERSION" for --version; returns 0, the exit status.
int PrintVersion(const char* program);

// Prints the one line of a usage error, "PROGRAM: ERROR (see PROGRAM
// [COMMAND] --help)", on stderr; returns 2, the exit status.
int UsageError(const std::string& program, const std::string& error, const std::string& command = "");

// What Next's answers that every tool treats alike end in: '?' the usage
// error, 'h' the usage on stdout, 'V' the version. The exit status, or -1
// for any other answer.
int CommonOption(int id, const char* program, const char* usage, const std::string& error);

// A finite decimal in [low, high] as the whole of `text`; true on failure.
bool ParseReal(const std::string& text, double low, double high, double& value);
