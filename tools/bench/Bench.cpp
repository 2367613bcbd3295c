// terravell-bench: map loading at growing sizes, a table of map sizes
// (start-up, a fixed view, a drive, peak memory), and start-up and frame
// times of the default world. It runs the game's own code: CGame::Start, CGame::RunFrame with
// scripted keys, CMap::Load. Prints tables; asserts nothing.
//   terravell-bench [--data DIR] [--frames N] [--budget S] [--detail PIXELS] [--sizes N] [--peer PATH] [--quick]
#include "base/GameFacts.h"
#include "game/CommandLine.h"
#include "game/Game.h"
#include "game/GameOptions.h"
#include "gfx/AssetPath.h"
#include "tools/bench/BenchCommon.h"
#include "tools/bench/MapSizes.h"
#include "tools/common/ProcStatus.h"
#include "tools/map/WorldWriter.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* USAGE = "usage: terravell-bench [--data DIR] [--frames N] [--budget S] [--detail PIXELS] [--sizes N]\n"
                    "                       [--peer PATH] [--quick]\n"
                    "Times map loading, start-up and frames at growing map sizes, the frames of a\n"
                    "scripted run and the terrain draw, and prints tables.\n"
                    "\n"
                    "  --data DIR              the Data folder to run on (default: the one beside\n"
                    "                          this program)\n"
                    "  --frames N              frames per timed run, at least 1 (default 1000)\n"
                    "  --budget S              a map-size run stops after S seconds once it has 5\n"
                    "                          frames (default 30)\n"
                    "  --detail PIXELS         the level of detail timed beside exact on every map\n"
                    "                          size (default: the game's)\n"
                    "  --peer PATH             also time terravell-peer at PATH on every map size\n"
                    "  --sizes N               the first N map sizes only (default all 7)\n"
                    "  --quick                 a short run: 30 frames, the smallest map only\n"
                    "  -h, --help              this text\n"
                    "  --version               the tool's version\n";

const char* PROGRAM = "terravell-bench";

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
void ScriptedKeys(long frame, const CMap&, std::vector<uint8_t>& keys)
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
    if (GenerateWorld(params, dir, assets))
        return;
    double figures[2] = {-1, -1};  // ms, peak KiB
    std::string bytes = InChild([&](int fd) {
        fs::current_path(dir);
        CGame game;
        if (game.Init_Renderer())
            return;
        BenchClock::time_point start = BenchClock::now();
        if (game.map.Load(AssetPath(MAP_ASSET).c_str()))
            return;
        glFinish();
        double result[2] = {MsSince(start), double(ProcStatusKiB("VmHWM"))};
        ssize_t ignored = write(fd, result, sizeof result);
        (void)ignored;
    });
    fs::remove_all(dir);
    if (bytes.size() == sizeof figures)
        memcpy(figures, bytes.data(), sizeof figures);
    if (figures[0] < 0) {
        printf("| load %4d² vertices | failed |\n", side);
        return;
    }
    double vertices = double(side) * side;
    printf("| `Load`, %4d² vertices | %.0f ms | %.0f ns/vertex | peak %.0f MB |\n", side, figures[0],
           figures[0] * 1e6 / vertices, figures[1] / 1024.0);
}

}  // namespace

int main(int argc, char** argv)
{
    static const std::vector<option> OPTIONS = LongOptions({
        {"data", required_argument, nullptr, 'd'},
        {"frames", required_argument, nullptr, 'f'},
        {"budget", required_argument, nullptr, 'b'},
        {"peer", required_argument, nullptr, 'p'},
        {"detail", required_argument, nullptr, 'l'},
        {"quick", no_argument, nullptr, 'q'},
        {"sizes", required_argument, nullptr, 'z'},
    });
    fs::path data = fs::path(DefaultAssetDir());
    SizeTableOptions sizes{1000, 30000.0, 1000, "", DEFAULT_DETAIL_PIXELS};
    bool quick = false;
    long budgetSeconds = 30;
    CCommandLine line(argc, argv);
    std::string error;
    int id;
    while ((id = line.Next("h", OPTIONS.data(), error)) != -1) {
        switch (id) {
        case 'd':
            data = line.Value();
            break;
        case 'f':
        case 'b':
            // The percentiles need at least one frame.
            if (!PositiveNumber(line.Value(), id == 'f' ? sizes.frames : budgetSeconds))
                return UsageError(PROGRAM,
                                  line.Name() + " wants a whole number of at least 1 (got '" + line.Value() + "')");
            break;
        case 'p':
            sizes.peer = fs::absolute(line.Value()).string();
            break;
        case 'l':
            if (!ParseNumberIn(line.Value(), 0.01f, 100.0f, sizes.detail))
                return UsageError(PROGRAM, line.Name() + " wants a number of pixels (got '" + line.Value() + "')");
            break;
        case 'q':
            sizes.count = 1;
            quick = true;
            break;
        case 'z':
            if (!PositiveNumber(line.Value(), sizes.count))
                return UsageError(PROGRAM,
                                  line.Name() + " wants a whole number of at least 1 (got '" + line.Value() + "')");
            break;
        default:
            return CommonOption(id, PROGRAM, USAGE, error);
        }
    }
    std::vector<std::string> operands = line.Operands();
    if (!operands.empty())
        return UsageError(PROGRAM, "unexpected argument '" + operands[0] + "'");
    if (quick)
        sizes.frames = 30;
    sizes.budgetMs = double(budgetSeconds) * 1000.0;
    const long frames = sizes.frames;
    data = fs::absolute(data);
    setvbuf(stdout, nullptr, _IOLBF, 0);

    // Every child process first, before this process opens a window.
    printf("| Measure | Result | | |\n|---|---|---|---|\n");
    for (int side : {129, 257, 513, 1025}) {
        if (quick && side > 129)
            break;
        LoadRow(side, data);
    }
    MapSizeTables(data, sizes);

    fs::path work = ScratchWith(data, "frames");
    fs::current_path(work);
    CGame game;
    BenchClock::time_point start = BenchClock::now();
    if (game.Start())
        return 1;
    std::vector<uint8_t> keys(SDLK_LAST, 0);
    game.RunFrame(keys.data());
    glFinish();
    printf("\n| Default world | Result | | |\n|---|---|---|---|\n");
    printf("| start-up to the first frame | %.0f ms | | |\n", MsSince(start));
    std::vector<double> ms = TimeFrames(game, frames, 1e12, ScriptedKeys);
    printf("| frame, scripted run (%ld frames) | median %.2f ms | p95 %.2f ms | %.0f fps |\n", frames,
           Percentile(ms, 0.5), Percentile(ms, 0.95), 1000.0 / Percentile(ms, 0.5));
    // The limit: a frame that only clears and shows the window.
    ms.clear();
    for (long f = 0; f < frames; ++f) {
        BenchClock::time_point frameStart = BenchClock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        glFinish();
        ms.push_back(MsSince(frameStart));
    }
    printf("| frame, clear and swap only | median %.2f ms | p95 %.2f ms | %.0f fps |\n", Percentile(ms, 0.5),
           Percentile(ms, 0.95), 1000.0 / Percentile(ms, 0.5));

    fs::current_path(fs::temp_directory_path());
    fs::remove_all(work);
    return 0;
}
