// terravell-map: makes, imports and checks worlds with the game's own map
// reading, validation and writing code.
#include "game/CommandLine.h"
#include "tools/map/MapCommands.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

namespace {

int RunMapTool(int argc, char** argv)
{
    static const std::vector<option> OPTIONS = LongOptions({});
    std::vector<std::string> args;
    {
        // Options before the command are the tool's own; '+' stops at the command.
        CCommandLine line(argc, argv);
        std::string error;
        int id;
        while ((id = line.Next("+h", OPTIONS.data(), error)) != -1)
            return CommonOption(id, "terravell-map", MapToolUsage(), error);
        args = line.Operands();
    }
    if (args.empty())
        return UsageError("terravell-map", "missing command");
    std::string command = args.front();
    args.erase(args.begin());
    if (command == "info")
        return RunInfo(args);
    if (command == "generate")
        return RunGenerate(args);
    if (command == "import")
        return RunImport(args);
    if (command == "help") {
        fputs(MapToolUsage(), stdout);
        return 0;
    }
    return UsageError("terravell-map", "unknown command '" + command + "'");
}

}  // namespace

int main(int argc, char** argv)
{
    // A picture or world too big for the memory there is: one line, not
    // the library's abort.
    try {
        return RunMapTool(argc, argv);
    } catch (const std::bad_alloc&) {
        fprintf(stderr, "terravell-map: out of memory while %s\n", MapToolActivity());
        return 1;
    }
}
