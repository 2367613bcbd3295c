// Writes the game's asset set into a directory. Deterministic: the same
// inputs always give the same bytes.
#include "game/GameFacts.h"
#include "tools/assets/FontSheet.h"
#include "tools/assets/HudPanel.h"
#include "tools/assets/SkyFaces.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/assets/TerrainTextures.h"
#include "tools/common/AssetNames.h"
#include "tools/common/Image.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage()
{
    fprintf(stderr, "usage: terravell-assets OUTDIR [--font FONT.ttf] [--sans FONT.ttf] [--bold FONT.ttf]\n");
    return 2;
}

// True on failure, after saying which file.
bool Write(const std::string& path, const Image& image)
{
    std::string error;
    if (!WriteBmp(path, image, error))
        return false;
    fprintf(stderr, "terravell-assets: cannot write %s: %s\n", path.c_str(), error.c_str());
    return true;
}

bool WriteWorld(const std::string& outDir)
{
    TerrainParams params;
    MapFileData map = GenerateTerrain(params);
    std::string mapPath = outDir + "/" + MapFileName();
    std::string error;
    if (WriteMapFile(mapPath.c_str(), map, error)) {
        fprintf(stderr, "terravell-assets: cannot write %s: %s\n", mapPath.c_str(), error.c_str());
        return true;
    }
    std::vector<Image> textures = GenerateTerrainTextures(TERRAIN_TEXTURE_SIZE, params.subdivisions);
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t)
        if (Write(outDir + "/" + TerrainTextureFileName(TerrainTextureNumber(t)), textures[t]))
            return true;
    Vec3 sun = ApparentSun(params.lightWord);
    for (int face = 0; face < SKY_FACE_COUNT; ++face)
        if (Write(outDir + "/" + SkyFaceFileName(face), GenerateSkyFace(face, SKY_FACE_SIZE, sun)))
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::string outDir;
    std::string fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    HudFonts hudFonts;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--font") == 0 && i + 1 < argc)
            fontPath = argv[++i];
        else if (strcmp(argv[i], "--sans") == 0 && i + 1 < argc)
            hudFonts.regular = argv[++i];
        else if (strcmp(argv[i], "--bold") == 0 && i + 1 < argc)
            hudFonts.bold = argv[++i];
        else if (argv[i][0] == '-' || !outDir.empty())
            return Usage();
        else
            outDir = argv[i];
    }
    if (outDir.empty())
        return Usage();

    Image sheet;
    std::string error;
    if (RenderFontSheet(fontPath, sheet, error)) {
        fprintf(stderr, "terravell-assets: %s\n", error.c_str());
        return 1;
    }
    if (Write(outDir + "/" + FontFileName(), sheet))
        return 1;

    Image picture, mask;
    if (RenderHudPanel(hudFonts, picture, mask, error)) {
        fprintf(stderr, "terravell-assets: %s\n", error.c_str());
        return 1;
    }
    if (Write(outDir + "/" + HudPictureFileName(0), picture) || Write(outDir + "/" + HudMaskFileName(0), mask))
        return 1;

    return WriteWorld(outDir) ? 1 : 0;
}
