#include "tools/map/MapCommands.h"

#include "base/GameFacts.h"
#include "game/CommandLine.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/assets/TileTexturing.h"
#include "tools/common/AssetNames.h"
#include "tools/common/Progress.h"
#include "tools/map/EarthScale.h"
#include "tools/map/ElevationGrid.h"
#include "tools/map/HeightmapReader.h"
#include "tools/map/ImportPlan.h"
#include "tools/map/InfoReport.h"
#include "tools/map/SunDirection.h"
#include "tools/map/WorldOptions.h"
#include "tools/map/WorldWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The snow line of land whose latitude is not known: the middle latitudes'.
const double UNKNOWN_LATITUDE = 45.0;

// What the tool is doing, for a line about running out of memory.
char activity[320] = "starting";

void SetActivity(const std::string& doing) { snprintf(activity, sizeof activity, "%s", doing.c_str()); }

const char* TOOL_USAGE = "usage: terravell-map COMMAND ...\n"
                         "Makes, imports and checks Terravell worlds (Data/map1.raw and its textures).\n"
                         "\n"
                         "  terravell-map info FILE                  describe a map file and list its faults\n"
                         "  terravell-map generate [options] -o DIR  write a generated world into DIR\n"
                         "  terravell-map import HEIGHTMAP -o DIR    turn an elevation model or picture into a world\n"
                         "  terravell-map --version                  the tool's version\n"
                         "\n"
                         "terravell-map COMMAND --help shows a command's options.\n";

const char* INFO_USAGE = "usage: terravell-map info FILE\n"
                         "Describes a map file: header, sizes, textures and the image files they need,\n"
                         "heights, light direction, the ground under the player's start and reset points,\n"
                         "and every fault the game's validation finds. Exit status 0 for a map the game\n"
                         "loads, 1 otherwise.\n"
                         "\n"
                         "  -h, --help              this text\n"
                         "  --version               the tool's version\n";

int MapUsageError(const std::string& command, const std::string& error)
{
    return UsageError("terravell-map", error, command);
}

int Failure(const std::string& error)
{
    fprintf(stderr, "terravell-map: %s\n", error.c_str());
    return 1;
}

void ReportSun(const WorldOptions& options)
{
    uint32_t word = options.params.lightWord;
    SunAngles got = SunAnglesOfWord(word);
    char where[96];
    if (got.overhead)
        snprintf(where, sizeof where, "straight up");
    else
        snprintf(where, sizeof where, "elevation %.1f, azimuth %.1f degrees", got.elevation, got.azimuth);
    if (!options.sunGiven) {
        printf("sun: %s (light word 0x%08X, the default)\n", where, word);
        return;
    }
    SunAngles wanted;
    wanted.elevation = options.sunElevation;
    wanted.azimuth = options.sunAzimuth;
    printf("sun: asked for elevation %.1f, azimuth %.1f degrees; nearest the map file can hold: %s "
           "(light word 0x%08X, %.1f degrees away)\n",
           options.sunElevation, options.sunAzimuth, where, word, AngleBetween(wanted, got));
}

void ReportWorld(const MapFileData& map)
{
    auto [lo, hi] = std::minmax_element(map.heights.begin(), map.heights.end());
    printf("world: %u x %u tiles of %u x %u cells, %u x %u vertices, %llu x %llu world units, heights %u .. %u\n",
           map.header.width, map.header.height, unsigned(map.header.subdivisions), unsigned(map.header.subdivisions),
           map.Columns(), map.Rows(), (unsigned long long)(map.Columns() - 1) * map.header.cellSize,
           (unsigned long long)(map.Rows() - 1) * map.header.cellSize, unsigned(*lo), unsigned(*hi));
}

// Parses a world command's options; -1 to go on, otherwise the exit status.
int ParseOrExit(Command command, const char* name, const std::vector<std::string>& args, WorldOptions& options)
{
    std::string error;
    if (ParseWorldOptions(command, args, options, error))
        return MapUsageError(name, error);
    if (options.help) {
        fputs(WorldUsage(command), stdout);
        return 0;
    }
    if (options.version)
        return PrintVersion("terravell-map");
    // A world already there is replaced only when asked.
    std::string mapPath = (fs::path(options.outDir) / MapFileName()).string();
    std::error_code failure;
    if (!options.force && fs::exists(mapPath, failure))
        return Failure(mapPath + " already exists (use --force to replace it)");
    return -1;
}

}  // namespace

const char* MapToolUsage() { return TOOL_USAGE; }

const char* MapToolActivity() { return activity; }

int RunInfo(const std::vector<std::string>& args)
{
    static const std::vector<option> OPTIONS = LongOptions({});
    CCommandLine line("terravell-map", args);
    std::string error;
    int id;
    while ((id = line.Next("h", OPTIONS.data(), error)) != -1)
        return id == '?' ? MapUsageError("info", error) : CommonOption(id, "terravell-map", INFO_USAGE, error);
    std::vector<std::string> files = line.Operands();
    if (files.size() != 1)
        return MapUsageError("info", files.empty() ? "info needs a map FILE" : "info takes one map FILE");
    SetActivity("reading " + files[0]);
    InfoReport report = BuildInfoReport(files[0]);
    if (!report.opened)
        return Failure(report.text);
    fputs(report.text.c_str(), stdout);
    return report.valid ? 0 : 1;
}

int RunGenerate(const std::vector<std::string>& args)
{
    WorldOptions options;
    int status = ParseOrExit(Command::Generate, "generate", args, options);
    if (status >= 0)
        return status;
    const TerrainParams& p = options.params;
    printf("generating: seed %u, roughness %.2f, cell size %u, height scale %u\n", p.seed, double(p.roughness),
           unsigned(p.cellSize), unsigned(p.heightScale));
    SetActivity("generating a world of " + std::to_string(p.tilesAcross) + " x " + std::to_string(p.tilesDown) +
                " tiles");
    CProgress progress = ProgressOnStderr();
    MapFileData map = GenerateTerrain(p, &progress);
    progress.Clear();
    ReportSun(options);
    std::string error;
    if (WriteWorld(options.outDir, map, options.withAssets, options.assetDir, error))
        return Failure(error);
    ReportWorld(map);
    return 0;
}

int RunImport(const std::vector<std::string>& args)
{
    WorldOptions options;
    int status = ParseOrExit(Command::Import, "import", args, options);
    if (status >= 0)
        return status;
    Heightmap source;
    CMappedFile file;
    std::string error;
    SetActivity("importing " + options.input);
    if (ReadHeightmap(options.input, file, source, error))
        return Failure("cannot read " + options.input + ": " + error);
    if (options.pixelSize > 0.0) {
        // A picture's samples are then metres too.
        source.spacingX = source.spacingY = options.pixelSize;
        source.spacingSource = "--pixel-size";
        source.elevation = true;
    }
    // The grid is planned from the header; the samples then stream into it.
    ImportPlan plan;
    SourceWindow window;
    if (ResolveRegion(source, options, window, error) || PlanGrid(source, window, options, plan, error))
        return Failure("cannot import " + options.input + ": " + error);
    CGridSampler sampler(window, plan.Columns(), plan.Rows(), plan.stepX, plan.stepY);
    CProgress progress = ProgressOnStderr();
    sampler.progress = &progress;
    progress.Begin("reading " + options.input, uint64_t(source.height));
    Heightmap decoded;  // the header again: the one read keeps what the name added
    const bool unread = DecodeHeightmap(file.Data(), file.Size(), decoded, &sampler, error);
    progress.Clear();
    if (unread)
        return Failure("cannot read " + options.input + ": " + error);
    file.Close();
    if (!sampler.Complete())
        return Failure("cannot read " + options.input + ": it holds fewer rows than its header says");
    printf("read %s: %dx%d, %s", options.input.c_str(), source.width, source.height, source.format.c_str());
    if (source.elevation && !std::isnan(sampler.lowest))
        printf(", heights %.6g .. %.6g m", sampler.lowest, sampler.highest);
    if (sampler.voids > 0)
        printf(", %llu void%s", (unsigned long long)sampler.voids, sampler.voids == 1 ? "" : "s");
    printf("\n");

    progress.Begin("filling the voids");
    plan.voidsFilled = FillVoids(sampler.Values(), int(plan.Columns()), int(plan.Rows()), &progress);
    progress.Clear();
    if (plan.voidsFilled < 0)
        return Failure("cannot import " + options.input + ": the part imported holds only voids");
    std::vector<uint8_t> heights;
    if (PlanHeights(source, sampler.Values(), options, plan, heights, error))
        return Failure("cannot import " + options.input + ": " + error);
    std::vector<float>().swap(sampler.Values());
    TerrainParams& p = options.params;
    p.tilesAcross = plan.tilesAcross;
    p.tilesDown = plan.tilesDown;
    p.subdivisions = plan.subdivisions;
    p.cellSize = plan.cellSize;
    p.heightScale = plan.heightScale;
    fputs(DescribePlan(source, options, plan).c_str(), stdout);
    MapFileData map = MapForParams(p);
    map.heights = std::move(heights);
    if (plan.trueScale) {
        const double snowLine = options.snowLine != 0.0
                                    ? options.snowLine
                                    : SnowLineAt(source.latitudeKnown ? source.latitude : UNKNOWN_LATITUDE);
        AssignRealTextures(map, RealGround{plan.lowMetres, plan.stepMetres, plan.cellMetres, snowLine});
        printf("textures: water at and below the sea, snow above %.0f m (%s), rock on slopes over 35 degrees\n",
               snowLine,
               options.snowLine != 0.0 ? "--snow-line"
               : source.latitudeKnown  ? "the snow line at its latitude"
                                       : "its latitude unknown, that of 45 degrees; --snow-line METRES sets it");
    } else {
        AssignTileTextures(map, true);
    }
    KeepNamedTextures(map);
    ReportSun(options);
    if (WriteWorld(options.outDir, map, options.withAssets, options.assetDir, error))
        return Failure(error);
    ReportWorld(map);
    return 0;
}
