#include "game/GameOptions.h"

#include "base/GameFacts.h"

#include <cstdio>
#include <cstring>

namespace {

const char* PROGRAM = "terravell";

const char* USAGE = "usage: terravell [--start X,Y] [--detail PIXELS] [--view-distance UNITS] [WORLD]\n"
                    "Flies over a world: WORLD is a folder that holds Data/, or that Data/ folder\n"
                    "itself; without it, the Data/ under the current folder. The arrow keys steer\n"
                    "the wedge, a/z and s/x move the camera, F12 saves a picture of the screen into\n"
                    "the current folder, Escape quits.\n"
                    "\n"
                    "  --start X,Y            where the wedge starts and is put back after a fall, in\n"
                    "                         world units (default 50,5, put back at 50,50); must lie\n"
                    "                         on the map\n"
                    "  --detail PIXELS        the largest height error the terrain's level of\n"
                    "                         detail may show, in pixels (default 1.5); 0 draws\n"
                    "                         every cell at full detail\n"
                    "  --view-distance UNITS  how far the view reaches, in world units (default\n"
                    "                         32768); up to 1000 it ends there as it always did,\n"
                    "                         beyond that the land fades into haze from 1000 units\n"
                    "  -h, --help             this text\n"
                    "  --version              the game's version\n";

constexpr float MOST_DETAIL_PIXELS = 100.0f;
constexpr float VIEW_DISTANCE_LOW = 10.0f, VIEW_DISTANCE_HIGH = 1e6f;
// Beyond the far corner of the largest map (4097 vertices of 65535 units).
constexpr float FARTHEST_START = 1e9f;

}  // namespace

bool ParseNumberIn(const char* text, float low, float high, float& out)
{
    double value = 0.0;
    if (!text || ParseReal(text, low, high, value))
        return false;
    out = float(value);
    return true;
}

bool ParsePointIn(const char* text, float low, float high, float& x, float& y)
{
    const char* comma = text ? strchr(text, ',') : nullptr;
    return comma && ParseNumberIn(std::string(text, comma).c_str(), low, high, x) &&
           ParseNumberIn(comma + 1, low, high, y);
}

std::vector<option> ViewOptions(std::initializer_list<option> own)
{
    std::vector<option> options(own);
    options.push_back({"detail", required_argument, nullptr, 'd'});
    options.push_back({"view-distance", required_argument, nullptr, 'v'});
    options.push_back({"start", required_argument, nullptr, 's'});
    return LongOptions(options);
}

int ViewOption(int id, const CCommandLine& line, const char* program, GameOptions& options)
{
    char range[96];
    if (id == 's') {
        options.startGiven = true;
        if (ParsePointIn(line.Value(), -FARTHEST_START, FARTHEST_START, options.startX, options.startY))
            return 0;
        return UsageError(program,
                          line.Name() + " wants X,Y in world units, e.g. 2400,3100 (got '" + line.Value() + "')");
    }
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
    if (operands.size() > 1)
        return UsageError(PROGRAM, "unexpected argument '" + operands[1] + "' (one WORLD at most)");
    options.world = operands.empty() ? "" : operands[0];
    return -1;
}
