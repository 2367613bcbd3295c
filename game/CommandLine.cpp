#include "game/CommandLine.h"

#include "base/GameFacts.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

CCommandLine::CCommandLine(const std::string& program, const std::vector<std::string>& args) : words(1, program)
{
    words.insert(words.end(), args.begin(), args.end());
    Start();
}

CCommandLine::CCommandLine(int argc, char** argv) : words(argv, argv + argc) { Start(); }

void CCommandLine::Start()
{
    for (std::string& w : words)
        argv.push_back(&w[0]);
    argv.push_back(nullptr);
    optind = 0;  // glibc's full reset, for a second parse in one process
    opterr = 0;  // the caller prints the one line
}

namespace {

// The option word as written, without an attached "=value".
std::string Written(const char* word)
{
    std::string text = word ? word : "";
    return text.substr(0, text.find('='));
}

}  // namespace

int CCommandLine::Next(const char* shortOptions, const option* longOptions, std::string& error)
{
    longs = longOptions;
    longIndex = -1;
    // A ':' in front tells a missing value apart from an unknown option;
    // it goes after a leading '+' or '-', which must stay first.
    std::string shorts = shortOptions;
    shorts.insert(shorts.empty() || (shorts[0] != '+' && shorts[0] != '-') ? 0 : 1, ":");
    int c = getopt_long(Count(), argv.data(), shorts.c_str(), longOptions, &longIndex);
    lastShort = c;
    if (c == ':') {
        error = Written(argv[optind - 1]) + " needs a value";
        return '?';
    }
    if (c == '?') {
        // getopt names a short option in optopt; a long one only by the
        // word it stopped at.
        bool isShort = optopt > 0 && optopt < 256 && argv[optind - 1][1] != '-';
        std::string name = isShort ? std::string("-") + char(optopt) : Written(argv[optind - 1]);
        bool known = false;
        for (const option* o = longOptions; o && o->name; ++o)
            known = known || (o->val == optopt && optopt != 0);
        error = known && !isShort ? name + " takes no value" : "unknown option " + name;
        return '?';
    }
    return c;
}

const char* CCommandLine::Value() const { return optarg; }

std::string CCommandLine::Name() const
{
    if (longIndex >= 0 && longs)
        return std::string("--") + longs[longIndex].name;
    return std::string("-") + char(lastShort);
}

std::vector<std::string> CCommandLine::Operands() const
{
    std::vector<std::string> rest;
    for (int i = optind; i < Count(); ++i)
        rest.push_back(argv[size_t(i)]);
    return rest;
}

int PrintVersion(const char* program)
{
    printf("%s %s\n", program, GAME_VERSION);
    return 0;
}

int UsageError(const std::string& program, const std::string& error, const std::string& command)
{
    fprintf(stderr, "%s: %s (see %s %s--help)\n", program.c_str(), error.c_str(), program.c_str(),
            command.empty() ? "" : (command + " ").c_str());
    return 2;
}

int CommonOption(int id, const char* program, const char* usage, const std::string& error)
{
    if (id == '?')
        return UsageError(program, error);
    if (id == 'h') {
        fputs(usage, stdout);
        return 0;
    }
    if (id == 'V')
        return PrintVersion(program);
    return -1;
}

std::vector<option> LongOptions(std::initializer_list<option> own) { return LongOptions(std::vector<option>(own)); }

std::vector<option> LongOptions(const std::vector<option>& own)
{
    std::vector<option> options(own);
    options.push_back({"help", no_argument, nullptr, 'h'});
    options.push_back({"version", no_argument, nullptr, 'V'});
    options.push_back({nullptr, 0, nullptr, 0});
    return options;
}

bool ParseReal(const std::string& text, double low, double high, double& value)
{
    if (text.empty())
        return true;
    char* end = nullptr;
    value = strtod(text.c_str(), &end);
    return *end != '\0' || !std::isfinite(value) || value < low || value > high;
}
