// Guards the default world: an unintended change to the map or a picture (pinned hashes), a map the game refuses, a
// wedge starting or reset over the sea or above its drop height, a HUD panel that hides the whole scene.
#include "tools/assets/HudPanel.h"
#include "tools/assets/SkyFaces.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/assets/TerrainTextures.h"
#include "world/Map.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

uint64_t Fnv1a(const std::vector<uint8_t>& bytes, uint64_t h = 1469598103934665603ull)
{
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

}  // namespace

// A deliberate change to the default world updates the numbers; small picture sizes run the same code paths.
TEST(Assets, DefaultWorldAndPicturesArePinned)
{
    std::vector<uint8_t> map = EncodeMapFile(GenerateTerrain(TerrainParams()));
    EXPECT_EQ(Fnv1a(map), 0xfa90b684b260bec0ull) << std::hex << Fnv1a(map);
    uint64_t h = 1469598103934665603ull;
    for (const Image& texture : GenerateTerrainTextures(64, 8))
        h = Fnv1a(EncodeBmp(texture), h);
    Vec3 sun = ApparentSun(TerrainParams().lightWord);
    for (int f = 0; f < SKY_FACE_COUNT; ++f)
        h = Fnv1a(EncodeBmp(GenerateSkyFace(f, 64, sun)), h);
    EXPECT_EQ(h, 0xd22681c12eb71442ull) << std::hex << h;
    Image picture, mask;
    std::string error;
    ASSERT_FALSE(RenderHudPanel(HudFonts(), picture, mask, error)) << error;
    h = Fnv1a(picture.rgb, Fnv1a(mask.rgb));
    EXPECT_EQ(h, 2683580705403350983ull) << h;
    // Playable: the title plate is opaque, the band's bottom row lets the scene through.
    EXPECT_TRUE(mask.At(4, 4)[0] <= 8 && mask.At(400, 63)[0] >= 250);
}

// Generated worlds are valid and have ground below the wedge's drop height
// where it starts and where it is reset; on the default island, land.
TEST(Assets, GeneratedWorldsArePlayable)
{
    for (const TerrainParams& params : {TerrainParams(), TerrainParams{99, 5, 3, 4, 20, 250, 1.0f}}) {
        MapFileData file = GenerateTerrain(params);
        std::vector<uint8_t> bytes = EncodeMapFile(file);
        ASSERT_TRUE(ValidateMapFile(bytes.data(), bytes.size(), nullptr).empty()) << "seed " << params.seed;
        CMap map;
        map.LoadGrid(file);
        // On the default island, land: above the levelled sea floor.
        const float sea = params.seed == DEFAULT_MAP_SEED
                              ? float(*std::min_element(file.heights.begin(), file.heights.end()) + 1) * map.heightScale
                              : -1;
        for (auto [x, y] : {std::pair{START_X, START_Y}, {RESET_X, RESET_Y}})
            EXPECT_TRUE(map.Contains(x, y) && map.GetHeight(x, y) > sea && map.GetHeight(x, y) < DROP_HEIGHT)
                << "seed " << params.seed << " at " << x << ", " << y << ": " << map.GetHeight(x, y);
    }
}
