#include "game/GameOptions.h"

#include "base/GameFacts.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const char* PROGRAM = "terravell";

const char* USAGE =
    "usage: terravell [--detail PIXELS] [--view-distance UNITS]\n"
    "Flies over the world in Data/ under the current folder: the arrow keys steer\n"
    "the wedge, a/z and s/x move the camera, Escape quits.\n"
    "\n"
    "  --detail PIXELS        the largest height error the terrain's level of\n"
    "                         detail may show, in pixels (default 1); 0 draws every\n"
    "                         cell at full detail\n"
    "  --view-distance UNITS  how far the view reaches, in world units (default\n"
    "                         32768); up to 1000 it ends there as it always did,\n"
    "                         beyond that the land fades into haze from 1000 units\n"
    "  -h, --help             this text\n"
    "  --version              the game's version\n";

constexpr float MOST_DETAIL_PIXELS = 100.0f;
constexpr float VIEW_DISTANCE_LOW = 10.0f, VIEW_DISTANCE_HIGH = 1e6f;

} // namespace

bool ParseNumberIn(const char* text, float low, float high, float& out)
{
    char* end = nullptr;
    const double value = text && *text ? strtod(text, &end) : NAN;
    if (!end || *end != '\0' || !(value >= low && value <= high))
        return false;
    out = float(value);
    return true;
}

std::vector<option> ViewOptions(std::initializer_list<option> own)
{
    std::vector<option> options(own);
    options.push_back({"detail", required_argument, nullptr, 'd'});
    options.push_back({"view-distance", required_argument, nullptr, 'v'});
    return LongOptions(options);
}

int ViewOption(int id, const CCommandLine& line, const char* program, GameOptions& options)
{
    char range[96];
    if (id == 'd') {
        if (ParseNumberIn(line.Value(), 0.0f, MOST_DETAIL_PIXELS, options.detailPixels))
            return 0;
        snprintf(range, sizeof range, "a number of pixels from 0 to %g", double(MOST_DETAIL_PIXELS));
    } else if (id == 'v') {
        if (ParseNumberIn(line.Value(), VIEW_DISTANCE_LOW, VIEW_DISTANCE_HIGH, options.viewDistance))
            return 0;
        snprintf(range, sizeof range, "a distance from %.0f to %.0f units", double(VIEW_DISTANCE_LOW),
                 double(VIEW_DISTANCE_HIGH));
    } else {
        return -1;
    }
    return UsageError(program, line.Name() + " wants " + range + " (got '" + line.Value() + "')");
}

int ParseGameOptions(int argc, char** argv, GameOptions& options)
{
    static const std::vector<option> OPTIONS = ViewOptions({});
    CCommandLine line(argc, argv);
    std::string error;
    int id;
    while ((id = line.Next("h", OPTIONS.data(), error)) != -1) {
        const int status = ViewOption(id, line, PROGRAM, options);
        if (status > 0)
            return status;
        if (status < 0)
            return CommonOption(id, PROGRAM, USAGE, error);
    }
    std::vector<std::string> operands = line.Operands();
    if (!operands.empty())
        return UsageError(PROGRAM, "unexpected argument '" + operands[0] + "'");
    return -1;
}
