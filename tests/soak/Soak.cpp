// Guards: heap leaks in the frame loop, OpenGL lists or textures made after
// warm-up, HUD line or message slots overrunning, under seeded random keys.
#include "game/Game.h"
#include "tools/common/CommandLine.h"
#include "tools/common/ProcStatus.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <random>
#include <vector>

namespace {

const SDLKey KEYS[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_LCTRL, SDLK_a,
                       SDLK_z,  SDLK_s,    SDLK_x,    SDLK_c,     SDLK_d};
constexpr long KEY_COUNT = sizeof KEYS / sizeof KEYS[0], FIRST_PASS = KEY_COUNT * 60;

int Soak(long frames)
{
    CGame game;
    if (game.Start())
        return 1;
    // The first pass holds and presses each key in turn, so every path has run.
    const long warmUp = std::max(FIRST_PASS, std::min(5000L, frames / 4)), middle = (warmUp + frames) / 2;
    std::mt19937 random(20261206);
    std::vector<uint8_t> keys(SDLK_LAST, 0);
    std::vector<long> releaseAt(SDLK_LAST, 0);
    std::vector<double> heapKiB[2];  // in use, through each half after warm-up
    GLuint list = 0, texture = 0;    // the next free names at warm-up
    uint32_t mostSlots = 0;
    for (long frame = 0; frame < frames; ++frame) {
        const bool first = frame < FIRST_PASS;
        SDL_Event press = {};
        press.type = press.key.type = SDL_KEYDOWN;
        press.key.keysym.sym = KEYS[first ? frame / 60 : random() % KEY_COUNT];
        if (first ? frame % 60 == 0 : random() % 8 == 0) {
            keys[press.key.keysym.sym] = 1;
            releaseAt[press.key.keysym.sym] = frame + (first ? 40 : 1 + long(random() % 120));
            if (first || random() % 4 == 0)
                SDL_PushEvent(&press);
        }
        for (SDLKey key : KEYS)
            keys[key] &= frame < releaseAt[key];
        // Keep the camera where the scene is still drawn.
        const float distance = game.map.player.camera.z;
        keys[SDLK_a] = (keys[SDLK_a] || distance < 20) && distance <= 400, keys[SDLK_z] &= distance >= 20;
        game.RunFrame(keys.data());
        mostSlots = std::max({mostSlots, game.hud.lineCount, game.hud.messageCount});
        if (frame == warmUp) {
            list = glGenLists(1), glDeleteLists(list, 1);
            glGenTextures(1, &texture), glDeleteTextures(1, &texture);
        }
        if (frame > warmUp && frame % 50 == 0)
            heapKiB[frame > middle].push_back(double(mallinfo2().uordblks) / 1024);
    }
    // The driver names new objects above every name used so far.
    bool madeGlObjects = false;
    for (GLuint k = 1; k <= 4096; ++k)
        madeGlObjects |= glIsList(list + k) || glIsTexture(texture + k);
    auto median = [](std::vector<double>& v) {
        return std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end()), v[v.size() / 2];
    };
    const double growth = median(heapKiB[1]) - median(heapKiB[0]);
    const int failures = (growth > 1024) + madeGlObjects + (mostSlots > HUD_SLOTS);
    printf("%ld frames: median heap in use %+.0f KiB from the first half after warm-up to the second (limit 1024), "
           "resident %ld KiB, OpenGL objects made after warm-up: %s, most HUD slots in use %u of %d\n"
           "soak: %d passed, %d failed\n", frames, growth, ProcStatusKiB("VmRSS"), madeGlObjects ? "some" : "none",
           mostSlots, HUD_SLOTS, 3 - failures, failures);
    // No SDL_Quit: the window goes with the process, and the GL driver stays
    // loaded for LeakSanitizer to name what it keeps until then.
    return failures ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    const char* program = "terravell-soak";
    const std::string usage = "usage: terravell-soak DATA [FRAMES]\n"
                              "Plays FRAMES (default 100000, at least " + std::to_string(2 * FIRST_PASS) +
                              ") frames of seeded random keys through the game's frame loop on the assets\n"
                              "in DATA, a folder named Data, and checks the heap, OpenGL objects and HUD slots.\n";
    CCommandLine line(argc, argv);
    const std::vector<option> options = LongOptions({});
    std::string error;
    for (int id; (id = line.Next("h", options.data(), error)) != -1;)
        return CommonOption(id, program, usage.c_str(), error);
    std::vector<std::string> args = line.Operands();
    char* end = nullptr;
    const long frames = args.size() == 2 ? strtol(args[1].c_str(), &end, 10) : 100000;
    std::error_code failure;
    const fs::path data = args.empty() ? fs::path() : fs::canonical(args[0], failure);
    if (args.empty() || args.size() > 2 || (end && *end) || frames < 2 * FIRST_PASS || data.filename() != "Data" ||
        !fs::is_directory(data))
        return UsageError(program, "wants a folder named Data and at least " + std::to_string(2 * FIRST_PASS) + " frames");
    // Run beside it, where the game looks for Data: nothing is written.
    fs::current_path(data.parent_path());
    return Soak(frames);
}
