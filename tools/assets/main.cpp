// Writes the game's asset set into a directory. Deterministic: the same
// inputs always give the same bytes.
#include "base/GameFacts.h"
#include "game/CommandLine.h"
#include "tools/assets/FontSheet.h"
#include "tools/assets/HudPanel.h"
#include "tools/assets/SkyFaces.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/assets/TerrainTextures.h"
#include "tools/common/AssetNames.h"
#include "tools/common/Image.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char* USAGE = "usage: terravell-assets OUTDIR [--font FONT.ttf] [--sans FONT.ttf] [--bold FONT.ttf]\n"
                    "Writes the game's asset set into OUTDIR: the font sheet, the HUD panel, the\n"
                    "default world's map and terrain textures, and the sky faces.\n"
                    "\n"
                    "  --font FONT.ttf         monospaced font of the glyph sheet\n"
                    "  --sans FONT.ttf         regular font of the HUD panel\n"
                    "  --bold FONT.ttf         bold font of the HUD panel\n"
                    "  -h, --help              this text\n"
                    "  --version               the tool's version\n";

const char* PROGRAM = "terravell-assets";

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
    if (WriteFileBytes(mapPath, EncodeMapFile(map), error)) {
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

}  // namespace

int main(int argc, char** argv)
{
    std::string outDir;
    std::string fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
    HudFonts hudFonts;
    static const std::vector<option> OPTIONS = LongOptions({
        {"font", required_argument, nullptr, 'f'},
        {"sans", required_argument, nullptr, 's'},
        {"bold", required_argument, nullptr, 'b'},
    });
    CCommandLine line(argc, argv);
    std::string error;
    int id;
    while ((id = line.Next("h", OPTIONS.data(), error)) != -1) {
        switch (id) {
        case 'f':
            fontPath = line.Value();
            break;
        case 's':
            hudFonts.regular = line.Value();
            break;
        case 'b':
            hudFonts.bold = line.Value();
            break;
        default:
            return CommonOption(id, PROGRAM, USAGE, error);
        }
    }
    std::vector<std::string> operands = line.Operands();
    if (operands.size() != 1)
        return UsageError(PROGRAM, operands.empty() ? "missing OUTDIR" : "unexpected argument '" + operands[1] + "'");
    outDir = operands[0];

    Image sheet;
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
