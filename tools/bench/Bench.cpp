// terravell-bench: start-up, frame times, the terrain draw against an ideal
// draw of the same triangles, and map loading at growing sizes. It runs the
// game's own code: CGame::Start, CGame::RunFrame with a scripted key
// sequence, CMap::Load. Prints a table; asserts nothing.
//   terravell-bench [--data DIR] [--frames N] [--quick]
#include "game/Game.h"
#include "game/GameFacts.h"
#include "gfx/AssetPath.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/common/CommandLine.h"
#include "tools/common/ProcStatus.h"
#include "tools/map/WorldWriter.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* USAGE =
    "usage: terravell-bench [--data DIR] [--frames N] [--quick]\n"
    "Times the start-up, the frames of a scripted run, the terrain draw and map\n"
    "loading, and prints a table.\n"
    "\n"
    "  --data DIR              the Data folder to run on (default: the one beside\n"
    "                          this program)\n"
    "  --frames N              frames per timed run, at least 1 (default 1000)\n"
    "  --quick                 a short run: 30 frames, the smallest map only\n"
    "  -h, --help              this text\n"
    "  --version               the tool's version\n";

const char* PROGRAM = "terravell-bench";

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// A scratch working directory holding a copy of a Data folder.
fs::path ScratchWith(const fs::path& data, const std::string& name)
{
    fs::path dir = fs::temp_directory_path() / ("terravell-bench-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(data, dir / "Data", fs::copy_options::recursive);
    return dir;
}

// The key sequence every frame-time run plays: steer and push for a while,
// swing the camera down to a chase view, move the light, and coast.
void ScriptedKeys(long frame, std::vector<uint8_t>& keys)
{
    std::fill(keys.begin(), keys.end(), 0);
    long phase = frame % 400;
    if (phase < 12)
        keys[SDLK_x] = 1;  // pitch up to a chase view
    else if (phase < 120)
        keys[SDLK_DOWN] = 1, keys[SDLK_LEFT] = phase % 3 == 0;
    else if (phase < 160)
        keys[SDLK_LCTRL] = 1, keys[SDLK_LEFT] = 1;
    else if (phase < 260)
        keys[SDLK_DOWN] = 1, keys[SDLK_RIGHT] = phase % 4 == 0;
    else if (phase < 272)
        keys[SDLK_s] = 1;  // and back towards looking down
    else if (phase < 300)
        keys[SDLK_a] = 1;
    else if (phase < 328)
        keys[SDLK_z] = 1;
}

struct FrameStats {
    double median, p95;
};

FrameStats TimeFrames(CGame& game, long frames)
{
    std::vector<uint8_t> keys(SDLK_LAST, 0);
    std::vector<double> ms;
    for (long f = 0; f < frames; ++f) {
        ScriptedKeys(f, keys);
        Clock::time_point start = Clock::now();
        game.RunFrame(keys.data());
        glFinish();
        ms.push_back(MsSince(start));
    }
    return {Percentile(ms, 0.5), Percentile(ms, 0.95)};
}

// Loads a generated world of the given vertex count per side in a child
// process, so each size's peak memory is its own. Prints one table row.
void LoadRow(int side, const fs::path& assets)
{
    TerrainParams params;
    params.subdivisions = 8;
    params.tilesAcross = params.tilesDown = uint32_t((side - 1) / 8);
    params.cellSize = uint16_t(std::max(1, 8 * 128 / (side - 1)));
    fs::path dir = fs::temp_directory_path() / ("terravell-bench-load-" + std::to_string(getpid()));
    fs::remove_all(dir);
    std::string error;
    // WriteWorld names every file it writes; the table has no room for that.
    fflush(stdout);
    int savedStdout = dup(1);
    int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    bool failed = WriteWorld((dir / "Data").string(), GenerateTerrain(params), false, assets.string(), error);
    fflush(stdout);
    dup2(savedStdout, 1);
    close(savedStdout);
    close(devNull);
    if (failed) {
        fprintf(stderr, "terravell-bench: %s\n", error.c_str());
        return;
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return;
    pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        fs::current_path(dir);
        CGame game;
        double ms = -1;
        if (!game.Init_Renderer()) {
            Clock::time_point start = Clock::now();
            if (!game.map.Load(AssetPath(MAP_ASSET).c_str())) {
                glFinish();
                ms = MsSince(start);
            }
        }
        char result[128];
        int n = snprintf(result, sizeof result, "%f %ld", ms, ProcStatusKiB("VmHWM"));
        ssize_t ignored = write(pipeFds[1], result, size_t(n));
        (void)ignored;
        _exit(0);
    }
    close(pipeFds[1]);
    char result[128] = {};
    ssize_t got = read(pipeFds[0], result, sizeof result - 1);
    close(pipeFds[0]);
    waitpid(child, nullptr, 0);
    fs::remove_all(dir);
    double ms = -1;
    long kib = -1;
    if (got <= 0 || sscanf(result, "%lf %ld", &ms, &kib) != 2 || ms < 0) {
        printf("| load %4d² vertices | failed |\n", side);
        return;
    }
    double vertices = double(side) * side;
    printf("| `Load`, %4d² vertices | %.0f ms | %.0f ns/vertex | peak %.0f MB |\n", side, ms, ms * 1e6 / vertices,
           double(kib) / 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    static const std::vector<option> OPTIONS = LongOptions({
        {"data", required_argument, nullptr, 'd'},
        {"frames", required_argument, nullptr, 'f'},
        {"quick", no_argument, nullptr, 'q'},
    });
    fs::path data = fs::path(DefaultAssetDir());
    long frames = 1000;
    bool quick = false;
    CCommandLine line(argc, argv);
    std::string error;
    int id;
    while ((id = line.Next("h", OPTIONS.data(), error)) != -1) {
        switch (id) {
        case 'd':
            data = line.Value();
            break;
        case 'f': {
            // The percentiles need at least one frame.
            char* end = nullptr;
            errno = 0;
            frames = strtol(line.Value(), &end, 10);
            if (errno != 0 || end == line.Value() || *end != '\0' || frames < 1)
                return UsageError(PROGRAM, line.Name() + " wants a whole number of at least 1 (got '" + line.Value() + "')");
            break;
        }
        case 'q':
            quick = true;
            break;
        default:
            return CommonOption(id, PROGRAM, USAGE, error);
        }
    }
    std::vector<std::string> operands = line.Operands();
    if (!operands.empty())
        return UsageError(PROGRAM, "unexpected argument '" + operands[0] + "'");
    if (quick)
        frames = 30;
    data = fs::absolute(data);
    setvbuf(stdout, nullptr, _IOLBF, 0);

    printf("| Measure | Result | | |\n|---|---|---|---|\n");
    // Loading first: each size in a child process of its own, before this
    // process opens a window.
    const int sides[] = {129, 257, 513, 1025};
    for (int side : sides) {
        if (quick && side > 129)
            break;
        LoadRow(side, data);
    }

    fs::path work = ScratchWith(data, "frames");
    fs::current_path(work);
    CGame game;
    Clock::time_point start = Clock::now();
    if (game.Start())
        return 1;
    std::vector<uint8_t> keys(SDLK_LAST, 0);
    game.RunFrame(keys.data());
    glFinish();
    printf("| start-up to the first frame | %.0f ms | | |\n", MsSince(start));

    FrameStats frame = TimeFrames(game, frames);
    printf("| frame, default world (%ld frames) | median %.2f ms | p95 %.2f ms | %.0f fps |\n", frames,
           frame.median, frame.p95, 1000.0 / frame.median);

    fs::current_path(fs::temp_directory_path());
    fs::remove_all(work);
    return 0;
}
