// Guards terravell-map's option parser against any command line: the first byte picks generate or import, the rest
// splits at NUL bytes into arguments; no crash, and a line on every refusal.
#include "tools/map/WorldOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<std::string> args(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += char(data[i]);
    }
    WorldOptions options;
    std::string error;
    if (ParseWorldOptions(data[0] & 1 ? Command::Import : Command::Generate, args, options, error) && error.empty())
        __builtin_trap();
    return 0;
}
