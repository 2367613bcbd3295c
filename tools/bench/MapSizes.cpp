#include "tools/bench/MapSizes.h"

#include "tools/bench/BenchCommon.h"
#include "tools/common/ProcStatus.h"
#include "tools/map/WorldWriter.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct MapShape {
    const char* name;
    uint32_t tilesAcross, tilesDown;
    uint16_t subdivisions;
};

// Growing sizes of 8-cell tiles, then three shapes at the vertex cap: the
// most tiles of the usual size, a tile per cell, and one tile for all.
const MapShape SHAPES[] = {
    {"129²", 16, 16, 8},
    {"513²", 64, 64, 8},
    {"1025²", 128, 128, 8},
    {"2049²", 256, 256, 8},
    {"4097×4089, 8-cell tiles", 512, 511, 8},
    {"4096², 1-cell tiles", 4095, 4095, 1},
    {"4096², one tile", 1, 1, 4095},
};

// The fixed view (yaw, pitch in turns, distance): 29 degrees below the
// horizon from 217 units above the middle, clear of the highest ground, so
// land reaches the far plane and sky shows under the HUD.
const Vec3 VIEW_CAMERA{0.0f, 0.17f, 450.0f};

// What one Terravell child measures; copied whole through the pipe, as
// parent and child are the same program.
struct TerravellFigures {
    double startup = -1;  // below 0: the child failed
    double viewMedian, viewP95, driveMedian, driveP95, driveP99;
    long viewFrames, driveFrames, peakKiB, triangles;  // terrain triangles sent in the fixed view
    Vec3 eye, at;  // the fixed view, in the map's coordinates
};

struct PeerFigures {
    double startup = -1, median = 0, p95 = 0;
    long peakKiB = 0, frames = 0, triangles = 0;
};

Vec3 MapMiddle(const CMap& map)
{
    return Vec3(float(map.columns - 1) * map.cellSize / 2, float(map.rows - 1) * map.cellSize / 2, 0.0f);
}

// At rest on the ground in the middle of the map, under the fixed view.
void PlaceAtMiddle(CMap& map)
{
    CPlayer& player = map.player;
    Vec3 middle = MapMiddle(map);
    player.position = Vec3(middle.x, middle.y, map.GetHeight(middle.x, middle.y));
    player.velocity = Vec3();
    player.rotation = Vec3();
    player.camera = VIEW_CAMERA;
    player.flags = 0;
}

// The terrain triangles the game sends to OpenGL from the player's view.
long ViewTriangles(CGame& game)
{
    game.map.player.ApplyCamera();
    std::vector<uint32_t> chunks;
    game.map.VisibleChunks(chunks);
    long triangles = 0;
    TerrainMesh mesh;
    for (uint32_t chunk : chunks) {
        game.map.ChunkMesh(chunk, mesh);
        triangles += long(mesh.indices.size() / 3);
    }
    return triangles;
}

void NoKeys(long, const CMap&, std::vector<uint8_t>& keys) { std::fill(keys.begin(), keys.end(), 0); }

// Up throughout, a short left turn now and then, and a long one while the
// player heads outwards near the edge, so small maps are crossed again and
// again rather than left.
void DriveKeys(long frame, const CMap& map, std::vector<uint8_t>& keys)
{
    NoKeys(frame, map, keys);
    const Vec3 middle = MapMiddle(map), p = map.player.position, v = map.player.velocity;
    const float dx = p.x - middle.x, dy = p.y - middle.y;
    const bool nearEdge = std::fabs(dx) > 0.6f * middle.x || std::fabs(dy) > 0.6f * middle.y;
    keys[SDLK_UP] = 1;
    keys[SDLK_LEFT] = frame % 150 < 10 || (nearEdge && dx * v.x + dy * v.y > 0);
}

TerravellFigures MeasureTerravell(const fs::path& world, const SizeTableOptions& o, bool drive)
{
    std::string bytes = InChild([&](int fd) {
        fs::current_path(world);
        TerravellFigures f;
        CGame game;
        std::vector<uint8_t> none(SDLK_LAST, 0);
        BenchClock::time_point start = BenchClock::now();
        if (game.Start())
            return;
        game.RunFrame(none.data());
        glFinish();
        f.startup = MsSince(start);

        PlaceAtMiddle(game.map);
        f.at = game.map.player.position;
        Vec3 t = game.map.player.CameraTranslation();  // of GL's (x, -y, z)
        f.eye = Vec3(-t.x, t.y, -t.z);
        f.triangles = ViewTriangles(game);
        std::vector<double> view = TimeFrames(game, o.frames, o.budgetMs, NoKeys);
        f.viewMedian = Percentile(view, 0.5), f.viewP95 = Percentile(view, 0.95);
        f.viewFrames = long(view.size());
        if (drive) {
            PlaceAtMiddle(game.map);
            std::vector<double> ms = TimeFrames(game, o.frames, o.budgetMs, DriveKeys);
            f.driveMedian = Percentile(ms, 0.5), f.driveP95 = Percentile(ms, 0.95);
            f.driveP99 = Percentile(ms, 0.99), f.driveFrames = long(ms.size());
        }
        f.peakKiB = ProcStatusKiB("VmHWM");
        ssize_t ignored = write(fd, &f, sizeof f);
        (void)ignored;
    });
    TerravellFigures f;
    if (bytes.size() == sizeof f)
        memcpy(&f, bytes.data(), sizeof f);
    return f;
}

// The peer runs in the world's folder, as the game does, and prints one line.
PeerFigures MeasurePeer(const std::string& peer, const fs::path& world, const TerravellFigures& view,
                        const SizeTableOptions& o)
{
    std::string line = InChild([&](int fd) {
        fs::current_path(world);
        dup2(fd, 1);
        char eye[96], at[96], frames[32], budget[32];
        snprintf(eye, sizeof eye, "%.9g,%.9g,%.9g", double(view.eye.x), double(view.eye.y), double(view.eye.z));
        snprintf(at, sizeof at, "%.9g,%.9g,%.9g", double(view.at.x), double(view.at.y), double(view.at.z));
        snprintf(frames, sizeof frames, "%ld", o.frames);
        snprintf(budget, sizeof budget, "%.0f", o.budgetMs);
        execl(peer.c_str(), peer.c_str(), "--eye", eye, "--at", at, "--frames", frames, "--budget-ms", budget,
              static_cast<char*>(nullptr));
        fprintf(stderr, "terravell-bench: cannot run %s: %s\n", peer.c_str(), strerror(errno));
    });
    PeerFigures p;
    const char* figures = strstr(line.c_str(), "startup-ms");
    if (!figures || sscanf(figures, "startup-ms %lf median-ms %lf p95-ms %lf peak-kib %ld frames %ld triangles %ld",
                           &p.startup, &p.median, &p.p95, &p.peakKiB, &p.frames, &p.triangles) != 6)
        p.startup = -1;
    return p;
}

std::string Ms(double ms) { return ms < 0 ? "failed" : std::to_string(int(std::lround(ms))) + " ms"; }

std::string FrameMs(double ms)
{
    char text[32];
    snprintf(text, sizeof text, ms < 100 ? "%.2f ms" : "%.0f ms", ms);
    return text;
}

} // namespace

std::vector<double> TimeFrames(CGame& game, long frames, double budgetMs, KeyScript script)
{
    std::vector<uint8_t> keys(SDLK_LAST, 0);
    std::vector<double> ms;
    BenchClock::time_point begin = BenchClock::now();
    while (KeepTiming(long(ms.size()), frames, MsSince(begin), budgetMs)) {
        script(long(ms.size()), game.map, keys);
        BenchClock::time_point start = BenchClock::now();
        game.RunFrame(keys.data());
        glFinish();
        ms.push_back(MsSince(start));
    }
    return ms;
}

bool GenerateWorld(const TerrainParams& params, const fs::path& dir, const fs::path& assets)
{
    std::string result = InChild([&](int fd) {
        // WriteWorld names every file it writes; the table has no room for that.
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        std::string error;
        if (WriteWorld((dir / "Data").string(), GenerateTerrain(params), true, assets.string(), error))
            fprintf(stderr, "terravell-bench: %s\n", error.c_str());
        else if (write(fd, "ok", 2) != 2)
            _exit(1);
    });
    return result != "ok";
}

void MapSizeTables(const fs::path& assets, const SizeTableOptions& o)
{
    fs::path cache = fs::temp_directory_path() / ("terravell-bench-sizes-" + std::to_string(getpid()));
    fs::remove_all(cache);
    printf("\n| Map | start-up | view median | view p95 | drive median | drive p95 | drive p99 | peak RSS |\n"
           "|---|---|---|---|---|---|---|---|\n");
    std::string peerRows, frameCounts;
    for (const MapShape& shape : SHAPES) {
        if (o.quick && &shape != SHAPES)
            break;
        TerrainParams params;
        params.tilesAcross = shape.tilesAcross, params.tilesDown = shape.tilesDown;
        params.subdivisions = shape.subdivisions;
        fs::path world = cache / std::to_string(&shape - SHAPES);
        BenchClock::time_point generating = BenchClock::now();
        if (GenerateWorld(params, world, assets)) {
            printf("| %s | not generated | | | | | | |\n", shape.name);
            continue;
        }
        const double generateMs = MsSince(generating);
        // With a peer the two alternate, Terravell first: T, P, T, P.
        TerravellFigures t = MeasureTerravell(world, o, true), t2 = t;
        if (t.startup < 0) {
            printf("| %s | failed | | | | | | |\n", shape.name);
            continue;
        }
        printf("| %s | %s | %s | %s | %s | %s | %s | %.0f MB |\n", shape.name, Ms(t.startup).c_str(),
               FrameMs(t.viewMedian).c_str(), FrameMs(t.viewP95).c_str(), FrameMs(t.driveMedian).c_str(),
               FrameMs(t.driveP95).c_str(), FrameMs(t.driveP99).c_str(), double(t.peakKiB) / 1024.0);
        char counts[160];
        snprintf(counts, sizeof counts, "%s%s: generated in %.1f s, %ld view and %ld drive frames", frameCounts.empty() ? "" : "; ",
                 shape.name, generateMs / 1000.0, t.viewFrames, t.driveFrames);
        frameCounts += counts;
        if (o.peer.empty())
            continue;
        PeerFigures p = MeasurePeer(o.peer, world, t, o);
        t2 = MeasureTerravell(world, o, false);
        PeerFigures p2 = MeasurePeer(o.peer, world, t, o);
        char row[320];
        if (p.startup < 0 || p2.startup < 0 || t2.startup < 0) {
            snprintf(row, sizeof row, "| %s | %s | failed | | | |\n", shape.name, FrameMs(t.viewMedian).c_str());
        } else {
            double tMedian = (t.viewMedian + t2.viewMedian) / 2, pMedian = (p.median + p2.median) / 2;
            snprintf(row, sizeof row, "| %s | %s | %s | %.1f | %s | %s | %ld | %ld |\n", shape.name,
                     FrameMs(tMedian).c_str(), FrameMs(pMedian).c_str(), tMedian / pMedian,
                     Ms((t.startup + t2.startup) / 2).c_str(), Ms((p.startup + p2.startup) / 2).c_str(), t.triangles,
                     p.triangles);
        }
        peerRows += row;
    }
    printf("\nFrames timed (at most %ld a run, fewer past %.0f s): %s.\n", o.frames, o.budgetMs / 1000.0,
           frameCounts.c_str());
    if (!o.peer.empty())
        printf("\n| Map | Terravell median | Irrlicht median | Terravell ÷ Irrlicht | Terravell start-up | Irrlicht "
               "start-up | Terravell triangles | Irrlicht triangles |\n|---|---|---|---|---|---|---|---|\n%s\nEach figure the mean of two runs, alternating T, P, T, "
               "P; the fixed view, Irrlicht's map padded to a square of 2^n+1 vertices.\n",
               peerRows.c_str());
    fs::remove_all(cache);
}
