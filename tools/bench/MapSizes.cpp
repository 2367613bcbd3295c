#include "tools/bench/MapSizes.h"

#include "tools/bench/BenchCommon.h"
#include "tools/common/FileBytes.h"
#include "tools/common/FrameCapture.h"
#include "tools/common/ProcStatus.h"
#include "tools/map/WorldWriter.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
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
    double driveMedian, driveP95, driveP99;
    long driveFrames, peakKiB;
    float farView;  // the far plane the game picks for the fixed view
    // The fixed view at far 1000 and at the far view, each at the bench's
    // detail and exact: median frame, frames timed, terrain triangles.
    double median[2][2];
    long frames[2][2], triangles[2][2];
    long differing[2];  // pixels more than 8 levels off between the detail and exact, per far
    Vec3 eye, at;       // the fixed view, in the map's coordinates
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
    game.SetupView();
    game.map.player.ApplyCamera();
    if (game.map.detailPixels > 0)
        return long(game.map.LodMeshForView().TriangleCount());
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

// Pixels whose colour differs by more than 8 levels in some channel.
long Differing(const Image& a, const Image& b)
{
    long count = 0;
    for (size_t i = 0; i + 2 < a.rgb.size() && a.rgb.size() == b.rgb.size(); i += 3)
        count += std::abs(a.rgb[i] - b.rgb[i]) > 8 || std::abs(a.rgb[i + 1] - b.rgb[i + 1]) > 8 ||
                 std::abs(a.rgb[i + 2] - b.rgb[i + 2]) > 8;
    return count;
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

        CMap& map = game.map;
        PlaceAtMiddle(map);
        f.at = map.player.position;
        Vec3 t = map.player.CameraTranslation();  // of GL's (x, -y, z)
        f.eye = Vec3(-t.x, t.y, -t.z);
        f.farView = float(map.DepthRange(Vec3(-t.x, -t.y, -t.z)).farPlane);
        if (drive) {
            map.viewDistance = DEFAULT_VIEW_DISTANCE;
            map.detailPixels = DEFAULT_DETAIL_PIXELS;
            PlaceAtMiddle(map);
            std::vector<double> ms = TimeFrames(game, o.frames, o.budgetMs, DriveKeys);
            f.driveMedian = Percentile(ms, 0.5), f.driveP95 = Percentile(ms, 0.95);
            f.driveP99 = Percentile(ms, 0.99), f.driveFrames = long(ms.size());
        }
        // The game as it starts, before the exact views draw millions of triangles.
        f.peakKiB = ProcStatusKiB("VmHWM");
        for (int far = 0; far < 2; ++far) {
            Image picture[2];
            for (int exact = 0; exact < 2; ++exact) {
                map.viewDistance = far ? DEFAULT_VIEW_DISTANCE : HAZE_START;
                map.detailPixels = exact ? 0.0f : o.detail;
                PlaceAtMiddle(map);
                f.triangles[far][exact] = ViewTriangles(game);
                game.DrawFrame();
                picture[exact] = ReadBackBuffer();
                std::vector<double> ms = TimeFrames(game, o.frames, o.budgetMs, NoKeys);
                f.median[far][exact] = Percentile(ms, 0.5);
                f.frames[far][exact] = long(ms.size());
            }
            f.differing[far] = Differing(picture[0], picture[1]);
        }
        ssize_t ignored = write(fd, &f, sizeof f);
        (void)ignored;
    });
    TerravellFigures f;
    if (bytes.size() == sizeof f)
        memcpy(&f, bytes.data(), sizeof f);
    return f;
}

// The peer runs in the world's folder, as the game does, and prints one line.
PeerFigures MeasurePeer(const std::string& peer, const fs::path& world, const TerravellFigures& view, float far,
                        bool fullDetail, const std::string& shot, const SizeTableOptions& o)
{
    std::string line = InChild([&](int fd) {
        fs::current_path(world);
        dup2(fd, 1);
        char eye[96], at[96], frames[32], budget[32], farText[32];
        snprintf(eye, sizeof eye, "%.9g,%.9g,%.9g", double(view.eye.x), double(view.eye.y), double(view.eye.z));
        snprintf(at, sizeof at, "%.9g,%.9g,%.9g", double(view.at.x), double(view.at.y), double(view.at.z));
        snprintf(frames, sizeof frames, "%ld", fullDetail ? 1 : o.frames);
        snprintf(budget, sizeof budget, "%.0f", o.budgetMs);
        snprintf(farText, sizeof farText, "%.9g", double(far));
        std::vector<const char*> args = {peer.c_str(), "--eye", eye,           "--at", at,       "--far",     farText,
                                         "--frames",   frames,  "--budget-ms", budget, "--shot", shot.c_str()};
        if (fullDetail)
            args.push_back("--full-detail");
        args.push_back(nullptr);
        execv(peer.c_str(), const_cast<char* const*>(args.data()));
        fprintf(stderr, "terravell-bench: cannot run %s: %s\n", peer.c_str(), strerror(errno));
    });
    PeerFigures p;
    const char* figures = strstr(line.c_str(), "startup-ms");
    if (!figures || sscanf(figures, "startup-ms %lf median-ms %lf p95-ms %lf peak-kib %ld frames %ld triangles %ld",
                           &p.startup, &p.median, &p.p95, &p.peakKiB, &p.frames, &p.triangles) != 6)
        p.startup = -1;
    return p;
}

// The pixels of two of the peer's shots that differ by more than 8 levels;
// -1 when either is missing.
long ShotsDiffering(const std::string& a, const std::string& b)
{
    std::vector<uint8_t> bytes[2];
    std::string error;
    if (ReadFileBytes(a, bytes[0], error) || ReadFileBytes(b, bytes[1], error) || bytes[0].size() != bytes[1].size())
        return -1;
    // Same size and header: compare the pixel bytes after it as RGB triples.
    const size_t offset = bytes[0].size() > 54 ? bytes[0][10] | bytes[0][11] << 8 : bytes[0].size();
    Image x(1, 1), y(1, 1);
    x.rgb.assign(bytes[0].begin() + long(offset), bytes[0].end());
    y.rgb.assign(bytes[1].begin() + long(offset), bytes[1].end());
    return Differing(x, y);
}

std::string Ms(double ms) { return ms < 0 ? "failed" : std::to_string(int(std::lround(ms))) + " ms"; }

std::string FrameMs(double ms)
{
    char text[32];
    snprintf(text, sizeof text, ms < 100 ? "%.2f ms" : "%.0f ms", ms);
    return text;
}

}  // namespace

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
    const bool peer = !o.peer.empty();
    printf("\n| Map | start-up | drive median | drive p95 | drive p99 | peak RSS |%s\n|---|---|---|---|---|---|%s\n",
           peer ? " Irrlicht start-up | Irrlicht peak RSS |" : "", peer ? "---|---|" : "");
    std::string viewRows, frameCounts;
    for (const MapShape& shape : SHAPES) {
        if (&shape - SHAPES >= o.count)
            break;
        TerrainParams params;
        params.tilesAcross = shape.tilesAcross, params.tilesDown = shape.tilesDown;
        params.subdivisions = shape.subdivisions;
        fs::path world = cache / std::to_string(&shape - SHAPES);
        BenchClock::time_point generating = BenchClock::now();
        if (GenerateWorld(params, world, assets)) {
            printf("| %s | not generated | | | | |\n", shape.name);
            continue;
        }
        const double generateMs = MsSince(generating);
        // With a peer the two alternate, Terravell first: T, P, T, P, each
        // P at both far planes; then the peer's full detail once.
        TerravellFigures t[2];
        PeerFigures p[2][2], full[2];  // [round][far], [far]
        const std::string shots = (cache / "peer-").string();
        for (int round = 0; round < (peer ? 2 : 1); ++round) {
            t[round] = MeasureTerravell(world, o, round == 0);
            for (int far = 0; peer && t[round].startup >= 0 && far < 2; ++far)
                p[round][far] = MeasurePeer(o.peer, world, t[0], far ? t[0].farView : HAZE_START, false,
                                            shots + std::to_string(far) + ".bmp", o);
        }
        for (int far = 0; peer && t[0].startup >= 0 && far < 2; ++far)
            full[far] = MeasurePeer(o.peer, world, t[0], far ? t[0].farView : HAZE_START, true,
                                    shots + std::to_string(far) + "-full.bmp", o);
        const TerravellFigures& f = t[0];
        if (f.startup < 0 || (peer && t[1].startup < 0)) {
            printf("| %s | failed | | | | |\n", shape.name);
            continue;
        }
        const bool peerRan =
            peer && p[0][0].startup >= 0 && p[1][0].startup >= 0 && p[0][1].startup >= 0 && p[1][1].startup >= 0;
        printf("| %s | %s | %s | %s | %s | %.0f MB |", shape.name, Ms(f.startup).c_str(),
               FrameMs(f.driveMedian).c_str(), FrameMs(f.driveP95).c_str(), FrameMs(f.driveP99).c_str(),
               double(f.peakKiB) / 1024.0);
        if (peer)
            printf(" %s | %.0f MB |", peerRan ? Ms((p[0][0].startup + p[1][0].startup) / 2).c_str() : "failed",
                   double(p[0][0].peakKiB) / 1024.0);
        printf("\n");
        char row[512];
        for (int far = 0; far < 2; ++far) {
            const int rounds = peer ? 2 : 1;
            double lod = 0, exact = 0;
            for (int r = 0; r < rounds; ++r)
                lod += t[r].median[far][0] / rounds, exact += t[r].median[far][1] / rounds;
            const float farPlane = far ? f.farView : HAZE_START;
            if (peerRan) {
                const double irrlicht = (p[0][far].median + p[1][far].median) / 2;
                const std::string shot = shots + std::to_string(far);
                snprintf(row, sizeof row, "| %s | %.0f | %s | %s | %s | %.2f | %ld / %ld / %ld | %ld / %ld |\n",
                         shape.name, double(farPlane), FrameMs(lod).c_str(), FrameMs(exact).c_str(),
                         FrameMs(irrlicht).c_str(), lod / irrlicht, f.triangles[far][0], f.triangles[far][1],
                         p[0][far].triangles, f.differing[far], ShotsDiffering(shot + ".bmp", shot + "-full.bmp"));
            } else {
                snprintf(row, sizeof row, "| %s | %.0f | %s | %s | | | %ld / %ld | %ld |\n", shape.name,
                         double(farPlane), FrameMs(lod).c_str(), FrameMs(exact).c_str(), f.triangles[far][0],
                         f.triangles[far][1], f.differing[far]);
            }
            viewRows += row;
        }
        char counts[200];
        snprintf(counts, sizeof counts, "%s%s: generated in %.1f s, %ld and %ld view frames, %ld drive frames",
                 frameCounts.empty() ? "" : "; ", shape.name, generateMs / 1000.0, f.frames[1][0], f.frames[1][1],
                 f.driveFrames);
        frameCounts += counts;
    }
    printf("\nThe fixed view at the old far plane and at the far view, at --detail %g and exact (0):\n\n"
           "| Map | far plane | Terravell | Terravell exact | Irrlicht | Terravell ÷ Irrlicht | triangles: Terravell / "
           "exact / Irrlicht | pixels more than 8 levels off: Terravell against exact / Irrlicht against its full "
           "detail |\n|---|---|---|---|---|---|---|---|\n%s",
           double(o.detail), viewRows.c_str());
    printf("\nFrames timed (at most %ld a run, fewer past %.0f s): %s.\n", o.frames, o.budgetMs / 1000.0,
           frameCounts.c_str());
    if (peer)
        printf("Each median the mean of two runs, alternating Terravell and Irrlicht; Irrlicht's map padded to a "
               "square of 2^n+1 vertices, its far plane the same.\n");
    fs::remove_all(cache);
}
