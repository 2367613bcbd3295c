// terravell-shot: plays a key script through the game's own frame loop and
// saves the last frame as a BMP, for the README's pictures. Frames, not
// seconds, so the same script always gives the same picture.
//   terravell-shot OUT.bmp STEP...     (run where Data/ is)
// Each STEP is KEYS*FRAMES, KEYS being "none" or key names joined by '+':
// up, down, left, right, ctrl, a, z, s, x. Example: none*90 down*60 x*9
#include "game/Game.h"
#include "game/GameOptions.h"
#include "tools/common/FrameCapture.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* USAGE = "usage: terravell-shot [--detail PIXELS] [--view-distance UNITS] [--start X,Y] OUT.bmp STEP...\n"
                    "Plays a key script through the game's frame loop (run where Data/ is) and\n"
                    "saves the last frame as a BMP. Each STEP is KEYS*FRAMES, KEYS being \"none\"\n"
                    "or key names joined by '+': up, down, left, right, ctrl, a, z, s, x.\n"
                    "Example: none*90 down*60 x*9\n"
                    "\n"
                    "  --detail PIXELS         the game's --detail\n"
                    "  --view-distance UNITS   the game's --view-distance\n"
                    "  --start X,Y             the game's --start\n"
                    "  -h, --help              this text\n"
                    "  --version               the tool's version\n";

const char* PROGRAM = "terravell-shot";

// True when there is no key of that name.
bool KeyByName(const std::string& name, SDLKey& key)
{
    static const struct {
        const char* name;
        SDLKey key;
    } KEYS[] = {{"up", SDLK_UP}, {"down", SDLK_DOWN}, {"left", SDLK_LEFT}, {"right", SDLK_RIGHT}, {"ctrl", SDLK_LCTRL},
                {"a", SDLK_a},   {"z", SDLK_z},       {"s", SDLK_s},       {"x", SDLK_x}};
    for (const auto& k : KEYS)
        if (name == k.name) {
            key = k.key;
            return false;
        }
    return true;
}

// Parses "down+left*30" into the held keys and the frame count; true when
// the step cannot be read.
bool ParseStep(const std::string& step, std::vector<SDLKey>& held, long& frames)
{
    size_t star = step.find('*');
    if (star == std::string::npos)
        return true;
    frames = strtol(step.c_str() + star + 1, nullptr, 10);
    held.clear();
    std::string keys = step.substr(0, star);
    for (size_t start = 0; start <= keys.size();) {
        size_t plus = keys.find('+', start);
        std::string name = keys.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        SDLKey key;
        if (name != "none") {
            if (KeyByName(name, key))
                return true;
            held.push_back(key);
        }
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    return frames <= 0;
}

}  // namespace

int main(int argc, char** argv)
{
    static const std::vector<option> OPTIONS = ViewOptions({});
    CCommandLine line(argc, argv);
    std::string error;
    GameOptions view;
    int id;
    while ((id = line.Next("h", OPTIONS.data(), error)) != -1) {
        const int status = ViewOption(id, line, PROGRAM, view);
        if (status != 0)
            return status > 0 ? status : CommonOption(id, PROGRAM, USAGE, error);
    }
    std::vector<std::string> operands = line.Operands();
    if (operands.size() < 2)
        return UsageError(PROGRAM, operands.empty() ? "missing OUT.bmp and the steps" : "missing the steps");
    const std::string outPath = operands[0];
    std::vector<std::pair<std::vector<SDLKey>, long>> script;
    for (size_t i = 1; i < operands.size(); ++i) {
        std::vector<SDLKey> held;
        long frames = 0;
        if (ParseStep(operands[i], held, frames))
            return UsageError(PROGRAM, "cannot read step '" + operands[i] + "'");
        script.emplace_back(held, frames);
    }

    CGame game;
    game.Configure(view);
    if (game.Start())
        return 1;
    std::vector<uint8_t> keys(SDLK_LAST, 0);
    for (const auto& [held, frames] : script) {
        std::fill(keys.begin(), keys.end(), 0);
        for (SDLKey key : held)
            keys[key] = 1;
        for (long f = 0; f < frames; ++f)
            game.RunFrame(keys.data());
    }
    std::fill(keys.begin(), keys.end(), 0);
    game.DrawFrame();
    Image frame = ReadBackBuffer();
    if (WriteBmp(outPath, frame, error)) {
        fprintf(stderr, "terravell-shot: cannot write %s: %s\n", outPath.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
