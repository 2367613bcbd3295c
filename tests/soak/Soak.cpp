// Runs the real frame loop for many frames with a seeded random key
// sequence and checks that nothing grows: the heap in use, OpenGL objects,
// the HUD's line and message slots. Every tenth frame a probe draws one
// fixed view, so frame-time drift compares like with like; drift is
// reported, and enforced with --strict-timing only (timings belong to long
// runs, not to the suite).
//   terravell-soak DATADIR [FRAMES] [--strict-timing]
#include "game/Game.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

long ResidentKiB()
{
    FILE* status = fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kib = -1;
    while (fgets(line, sizeof line, status))
        if (strncmp(line, "VmRSS:", 6) == 0)
            kib = strtol(line + 6, nullptr, 10);
    fclose(status);
    return kib;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The next free display-list and texture names. The driver hands out new
// names above the highest ever used, so any object made after this call
// would bear a name above these.
std::pair<GLuint, GLuint> NextGlNames()
{
    GLuint list = glGenLists(1);
    glDeleteLists(list, 1);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glDeleteTextures(1, &texture);
    return {list, texture};
}

// Whether any list or texture exists with a name above the given ones.
bool GlObjectsAbove(std::pair<GLuint, GLuint> names)
{
    for (GLuint k = 1; k <= 4096; ++k)
        if (glIsList(names.first + k) || glIsTexture(names.second + k))
            return true;
    return false;
}

// Keys a player might hold; each is held for a random stretch of frames.
const SDLKey HELD_KEYS[] = {SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT, SDLK_LCTRL,
                            SDLK_a,  SDLK_z,    SDLK_s,    SDLK_x,     SDLK_c, SDLK_d};
constexpr size_t KEY_COUNT = sizeof HELD_KEYS / sizeof HELD_KEYS[0];

void PressKey(SDLKey key)
{
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// Draws one fixed view, timed, and puts the game back as it was.
double ProbeFrame(CGame& game)
{
    CPlayer& player = game.map.player;
    const Vec3 position = player.position, camera = player.camera, rotation = player.rotation;
    const CHud hud = game.hud;
    player.position = Vec3(300, 400, 80);
    player.camera = Vec3(-0.3f, 0.2f, 150);
    player.rotation = Vec3(0, 0, 0.3f);
    glFinish();
    auto start = std::chrono::steady_clock::now();
    game.RenderFrame();
    glFinish();
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    player.position = position;
    player.camera = camera;
    player.rotation = rotation;
    game.hud = hud;
    return spent.count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: terravell-soak DATADIR [FRAMES] [--strict-timing]\n");
        return 2;
    }
    const std::string dataDir = argv[1];
    const long frames = argc > 2 && argv[2][0] != '-' ? strtol(argv[2], nullptr, 10) : 100000;
    bool strictTiming = false;
    for (int i = 2; i < argc; ++i)
        strictTiming |= strcmp(argv[i], "--strict-timing") == 0;
    // The warm-up holds every key once, so every drawing path has run.
    const long warmUp = std::max(long(KEY_COUNT) * 60, std::min(5000L, frames / 4));
    if (frames < 2 * warmUp) {
        fprintf(stderr, "terravell-soak: at least %ld frames\n", 2 * warmUp);
        return 2;
    }
    const long middle = warmUp + (frames - warmUp) / 2;

    namespace fs = std::filesystem;
    fs::path work = fs::temp_directory_path() / ("terravell-soak-" + std::to_string(getpid()));
    fs::create_directories(work);
    fs::copy(dataDir, work / "Data", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::current_path(work);

    int failures = 0;
    {
        CGame game;
        if (game.Start())
            return 1;
        std::mt19937 random(20261206);
        std::vector<uint8_t> keys(SDLK_LAST, 0);
        std::vector<long> releaseAt(SDLK_LAST, 0);
        std::vector<double> probeMs;
        // Bytes in use on the heap, sampled through each half of the run:
        // the driver's transient buffers make them swing, a leak makes the
        // typical value climb.
        std::vector<double> heapFirstHalf, heapSecondHalf;
        long rssWarm = 0, rssMiddle = 0;
        std::pair<GLuint, GLuint> namesWarm;
        uint32_t mostLines = 0, mostMessages = 0;

        for (long frame = 0; frame < frames; ++frame) {
            if (frame < long(KEY_COUNT) * 60) {
                std::fill(keys.begin(), keys.end(), 0);
                SDLKey key = HELD_KEYS[frame / 60];
                keys[key] = frame % 60 < 40;
                if (frame % 60 == 0)
                    PressKey(key);
            } else if (random() % 8 == 0) {
                // Now and then hold a key for up to 2 s, sometimes as a press.
                SDLKey key = HELD_KEYS[random() % KEY_COUNT];
                keys[key] = 1;
                releaseAt[key] = frame + 1 + long(random() % 120);
                if (random() % 4 == 0)
                    PressKey(key);
            }
            for (SDLKey key : HELD_KEYS)
                if (keys[key] && frame >= releaseAt[key] && frame >= long(KEY_COUNT) * 60)
                    keys[key] = 0;
            // Keep the camera at a sensible distance so the scene stays drawn.
            if (game.map.player.camera.z < 20)
                keys[SDLK_z] = 0, keys[SDLK_a] = 1, releaseAt[SDLK_a] = frame + 30;
            if (game.map.player.camera.z > 400)
                keys[SDLK_a] = 0;

            game.RunFrame(keys.data());
            if (frame % 10 == 0)
                probeMs.push_back(ProbeFrame(game));

            mostLines = std::max(mostLines, game.hud.lineCount);
            mostMessages = std::max(mostMessages, game.hud.messageCount);
            if (frame == warmUp) {
                rssWarm = ResidentKiB();
                namesWarm = NextGlNames();
            }
            if (frame == middle)
                rssMiddle = ResidentKiB();
            if (frame > warmUp && frame % 50 == 0)
                (frame <= middle ? heapFirstHalf : heapSecondHalf).push_back(double(mallinfo2().uordblks) / 1024);
        }
        const long rssEnd = ResidentKiB();
        const bool madeGlObjects = GlObjectsAbove(namesWarm);

        // Probes of the first and last thousand frames after the warm-up.
        const size_t firstProbe = size_t(warmUp / 10), window = 100;
        std::vector<double> first(probeMs.begin() + long(firstProbe),
                                  probeMs.begin() + long(std::min(probeMs.size(), firstProbe + window)));
        std::vector<double> last(probeMs.end() - long(std::min(probeMs.size() - firstProbe, window)), probeMs.end());
        double drift = Median(last) / Median(first) - 1.0;

        printf("frames %ld, warm-up %ld\n", frames, warmUp);
        printf("resident memory: %ld KiB after warm-up, %ld KiB half way, %ld KiB at the end\n", rssWarm, rssMiddle,
               rssEnd);
        const double heapGrowth = Median(heapSecondHalf) - Median(heapFirstHalf);
        printf("heap in use (median): %.0f KiB in the first half after warm-up, %.0f KiB in the second\n",
               Median(heapFirstHalf), Median(heapSecondHalf));
        printf("OpenGL objects made after the warm-up: %s\n", madeGlObjects ? "some" : "none");
        printf("most HUD lines %u, most messages %u (slots: 50 each)\n", mostLines, mostMessages);
        printf("fixed-view probe: median %.3f ms after warm-up, %.3f ms at the end: drift %+.1f%%\n", Median(first),
               Median(last), drift * 100.0);

        if (heapGrowth > 1024) {
            printf("FAIL: the heap grew by %.0f KiB\n", heapGrowth);
            ++failures;
        }
        if (madeGlObjects) {
            printf("FAIL: OpenGL objects were created during the run\n");
            ++failures;
        }
        if (mostLines > 50 || mostMessages > 50) {
            printf("FAIL: HUD slots overran\n");
            ++failures;
        }
        if (strictTiming && (drift > 0.10 || drift < -0.10)) {
            printf("FAIL: frame time drifted by %+.1f%%\n", drift * 100.0);
            ++failures;
        }
    }
    // No SDL_Quit: the window goes with the process, and the GL driver stays
    // loaded for LeakSanitizer to name what it keeps until then.
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(work);
    printf("soak: %d passed, %d failed\n", 4 - failures, failures);
    return failures == 0 ? 0 : 1;
}
