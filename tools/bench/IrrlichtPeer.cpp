// terravell-peer: the map of the world in the current folder drawn by
// Irrlicht's terrain scene node from a given eye, timed as terravell-bench
// times the game. For comparison only; the game never uses Irrlicht.
// Prints one line: start-up to the first frame, median and p95 frame and
// peak resident size.
//   terravell-peer --eye X,Y,Z --at X,Y,Z [--far UNITS] [--full-detail] [--shot FILE] [--frames N] [--budget-ms MS]
#include "base/GameFacts.h"
#include "game/CommandLine.h"
#include "game/GameOptions.h"
#include "gfx/AssetPath.h"
#include "tools/assets/TerrainTextures.h"
#include "tools/bench/BenchCommon.h"
#include "tools/common/FrameCapture.h"
#include "tools/common/ProcStatus.h"
#include "world/MapFile.h"
#include "world/SkyBox.h"

#include <GL/gl.h>
#include <irrlicht.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace irr;

namespace {

const char* USAGE = "usage: terravell-peer --eye X,Y,Z --at X,Y,Z [--far UNITS] [--full-detail] [--shot FILE]\n"
                    "                      [--frames N] [--budget-ms MS]\n"
                    "Draws Data/map1.raw of the current folder with Irrlicht's terrain node from\n"
                    "EYE towards AT (the map's coordinates: x along a row, y down the rows, z up)\n"
                    "and prints: startup-ms T median-ms M p95-ms P peak-kib K frames N triangles C.\n"
                    "--far sets the camera's far plane (1000), --full-detail draws every patch at\n"
                    "its finest level, --shot writes the last frame as a BMP.\n";

const char* PROGRAM = "terravell-peer";

// The map's (x, y, z) to Irrlicht's left-handed, y-up frame. The game draws
// (x, y, z) at GL's (x, -y, z); swapping GL's y and z keeps the picture.
core::vector3df ToIrrlicht(float x, float y, float z) { return core::vector3df(x, z, -y); }

bool ParsePoint(const char* text, core::vector3df& out)
{
    float x, y, z;
    if (sscanf(text, "%f,%f,%f", &x, &y, &z) != 3)
        return true;
    out = ToIrrlicht(x, y, z);
    return false;
}

// Irrlicht's terrain wants a square of 2^n + 1 samples: the map padded with
// its edge values. The node reads the samples x-major, each run along its z,
// which is the map's -y: column by column, each from the last row up.
std::vector<uint8_t> SquareHeights(const MapFileData& map, uint32_t& side)
{
    const uint32_t columns = map.Columns(), rows = map.Rows();
    side = 2;
    while (side + 1 < std::max(columns, rows))
        side *= 2;
    side += 1;
    std::vector<uint8_t> square(size_t(side) * side);
    for (uint32_t r = 0; r < side; ++r)
        for (uint32_t c = 0; c < side; ++c)
            square[size_t(c) * side + (side - 1 - r)] =
                map.heights[size_t(std::min(r, rows - 1)) * columns + std::min(c, columns - 1)];
    return square;
}

video::ITexture* SkyTexture(video::IVideoDriver* driver, const char* text)
{
    return driver->getTexture(FormatAssetPath(SKY_FACE_ASSET_FORMAT, SKY_NAME, text).c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    static const std::vector<option> OPTIONS = LongOptions({
        {"eye", required_argument, nullptr, 'e'},
        {"at", required_argument, nullptr, 'a'},
        {"frames", required_argument, nullptr, 'f'},
        {"budget-ms", required_argument, nullptr, 'b'},
        {"far", required_argument, nullptr, 'r'},
        {"full-detail", no_argument, nullptr, 'u'},
        {"shot", required_argument, nullptr, 's'},
    });
    float farPlane = 1000.0f;
    bool fullDetail = false;
    std::string shot;
    core::vector3df eye, at;
    bool haveEye = false, haveAt = false;
    long frames = 1000;
    double budgetMs = 1e12;
    CCommandLine line(argc, argv);
    std::string error;
    int id;
    while ((id = line.Next("h", OPTIONS.data(), error)) != -1) {
        if (id == 'e' || id == 'a') {
            if (ParsePoint(line.Value(), id == 'e' ? eye : at))
                return UsageError(PROGRAM, line.Name() + " wants X,Y,Z (got '" + line.Value() + "')");
            (id == 'e' ? haveEye : haveAt) = true;
        } else if (id == 'f' || id == 'b') {
            long value = 0;
            if (!PositiveNumber(line.Value(), value))
                return UsageError(PROGRAM, line.Name() + " wants a whole number of at least 1");
            (id == 'f' ? frames = value : budgetMs = double(value));
        } else if (id == 'r') {
            if (!ParseNumberIn(line.Value(), 1.0f, 1e7f, farPlane))
                return UsageError(PROGRAM, line.Name() + " wants a distance (got '" + line.Value() + "')");
        } else if (id == 'u' || id == 's') {
            (id == 'u' ? fullDetail = true : (shot = line.Value(), true));
        } else {
            return CommonOption(id, PROGRAM, USAGE, error);
        }
    }
    if (!haveEye || !haveAt || !line.Operands().empty())
        return UsageError(PROGRAM, "wants --eye and --at and nothing else");

    BenchClock::time_point start = BenchClock::now();
    MapFileData map;
    std::string fault;
    if (ReadMapFile(AssetPath(MAP_ASSET).c_str(), map, fault)) {
        fprintf(stderr, "%s: %s\n", PROGRAM, fault.c_str());
        return 1;
    }
    SIrrlichtCreationParameters parameters;
    parameters.DriverType = video::EDT_OPENGL;
    parameters.WindowSize = core::dimension2d<u32>(WINDOW_WIDTH, WINDOW_HEIGHT);
    parameters.Bits = 32;
    parameters.Vsync = false;
    parameters.LoggingLevel = ELL_ERROR;  // stdout carries the figures
    IrrlichtDevice* device = createDeviceEx(parameters);
    if (!device) {
        fprintf(stderr, "%s: no OpenGL device\n", PROGRAM);
        return 1;
    }
    device->setWindowCaption(L"terravell-peer");
    video::IVideoDriver* driver = device->getVideoDriver();
    scene::ISceneManager* scene = device->getSceneManager();

    uint32_t side = 0;
    std::vector<uint8_t> square = SquareHeights(map, side);
    const float cell = float(map.header.cellSize), step = float(map.header.heightScale) * 0.01f;
    scene::ITerrainSceneNode* terrain = scene->addTerrainSceneNode(
        static_cast<io::IReadFile*>(nullptr), nullptr, -1, core::vector3df(0, 0, -float(side - 1) * cell),
        core::vector3df(0, 0, 0), core::vector3df(cell, step, cell), video::SColor(255, 255, 255, 255),
        fullDetail ? 1 : 5, scene::ETPS_17, 0, true);
    io::IReadFile* raw =
        device->getFileSystem()->createMemoryReadFile(square.data(), s32(square.size()), "heights.raw", false);
    if (!terrain->loadHeightMapRAW(raw, 8, false, false, s32(side))) {
        fprintf(stderr, "%s: the terrain node refused the heights\n", PROGRAM);
        return 1;
    }
    raw->drop();
    square = std::vector<uint8_t>();
    // One texture for all: the plain grass most of the land wears.
    std::string grass = MapTexturePath(TerrainTextureNumber(MAT_GRASS));
    terrain->setMaterialTexture(0, driver->getTexture(grass.c_str()));
    terrain->scaleTexture(float(side - 1) / float(map.header.subdivisions));  // a picture per tile

    // The game's light: towards the sun in GL's frame, ambient 0.5, diffuse 1.
    Vec3 sun = LightDirFromWord(map.header.lightWord);
    scene::ILightSceneNode* light = scene->addLightSceneNode();
    light->setLightType(video::ELT_DIRECTIONAL);
    light->setRotation((-core::vector3df(sun.x, sun.z, sun.y)).getHorizontalAngle());
    light->getLightData().AmbientColor = video::SColorf(0.5f, 0.5f, 0.5f);
    light->getLightData().DiffuseColor = video::SColorf(1.0f, 1.0f, 1.0f);

    scene->addSkyBoxSceneNode(SkyTexture(driver, "Top"), SkyTexture(driver, "Bottom"), SkyTexture(driver, "Left"),
                              SkyTexture(driver, "Right"), SkyTexture(driver, "Back"), SkyTexture(driver, "Front"));
    scene::ICameraSceneNode* camera = scene->addCameraSceneNode(nullptr, eye, at);
    camera->setFOV(core::PI / 2);
    camera->setAspectRatio(float(WINDOW_WIDTH) / float(WINDOW_HEIGHT));
    camera->setNearValue(0.1f);
    camera->setFarValue(farPlane);

    auto frame = [&] {
        device->run();
        driver->beginScene(true, true, video::SColor(0, 0, 0, 0));
        scene->drawAll();
        driver->endScene();
        glFinish();
    };
    frame();
    const double startupMs = MsSince(start);
    std::vector<double> ms;
    BenchClock::time_point begin = BenchClock::now();
    while (KeepTiming(long(ms.size()), frames, MsSince(begin), budgetMs)) {
        BenchClock::time_point frameStart = BenchClock::now();
        frame();
        ms.push_back(MsSince(frameStart));
    }
    if (!shot.empty()) {
        device->run();
        driver->beginScene(true, true, video::SColor(0, 0, 0, 0));
        scene->drawAll();
        std::string error;
        if (WriteBmp(shot, ReadBackBuffer(), error))
            fprintf(stderr, "%s: %s\n", PROGRAM, error.c_str());
        driver->endScene();
    }
    // The last frame's triangles, the sky box's twelve left out.
    printf("startup-ms %.3f median-ms %.3f p95-ms %.3f peak-kib %ld frames %zu triangles %u\n", startupMs,
           Percentile(ms, 0.5), Percentile(ms, 0.95), ProcStatusKiB("VmHWM"), ms.size(),
           driver->getPrimitiveCountDrawn() - 12);
    device->drop();
    return 0;
}
