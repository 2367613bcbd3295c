#include "world/TerrainOverview.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t PowerOfTwoAtLeast(uint32_t v)
{
    uint32_t p = 1;
    while (p < v)
        p *= 2;
    return p;
}

}  // namespace

void CTerrainOverview::Plan(uint32_t tilesAcross, uint32_t tilesDown, uint32_t cellsPerTile)
{
    subdivisions = std::max(cellsPerTile, 1u);
    texelsPerTile = MOST_PER_TILE;
    tilesPerTexel = 1;
    const uint32_t most = std::max(tilesAcross, tilesDown);
    while (texelsPerTile > 1 && most * texelsPerTile > MOST_TEXELS)
        texelsPerTile /= 2;
    while ((most + tilesPerTexel - 1) / tilesPerTexel > MOST_TEXELS)
        tilesPerTexel *= 2;
    width = PowerOfTwoAtLeast((tilesAcross * texelsPerTile + tilesPerTexel - 1) / tilesPerTexel);
    height = PowerOfTwoAtLeast((tilesDown * texelsPerTile + tilesPerTexel - 1) / tilesPerTexel);
}

std::vector<Vec3> CTerrainOverview::Block(const uint8_t* pixels, int w, int h, int pitch) const
{
    const uint32_t side = texelsPerTile, samples = 64 / side;  // per texel side
    const float n = float(subdivisions);
    std::vector<Vec3> block(size_t(side) * side);
    for (uint32_t j = 0; j < side; ++j)
        for (uint32_t i = 0; i < side; ++i) {
            Vec3 sum;
            for (uint32_t b = 0; b < samples; ++b)
                for (uint32_t a = 0; a < samples; ++a) {
                    // A point of the tile, in cells from its top-left corner,
                    // and where the mesh's coordinates put it in the texture:
                    // s runs on from -2/n; t falls by 1/n down each sub-row
                    // from the sub-row's number over n.
                    const float x = (float(i) + (float(a) + 0.5f) / float(samples)) * n / float(side);
                    const float y = (float(j) + (float(b) + 0.5f) / float(samples)) * n / float(side);
                    const float sub = std::floor(y);
                    float s = (x - 2.0f) / n, t = (sub - (y - sub)) / n;
                    s -= std::floor(s);
                    t -= std::floor(t);
                    const int px = std::min(int(s * float(w)), w - 1), py = std::min(int(t * float(h)), h - 1);
                    const uint8_t* p = pixels + size_t(py) * size_t(pitch) + 3 * size_t(px);
                    sum += Vec3(p[0], p[1], p[2]);
                }
            block[size_t(j) * side + i] = sum / (255.0f * float(samples * samples));
        }
    return block;
}

std::vector<uint8_t> CTerrainOverview::Picture(const std::vector<uint8_t>& tileMap, uint32_t tilesAcross,
                                               uint32_t tilesDown, const std::vector<std::vector<Vec3>>& blocks) const
{
    const uint32_t side = texelsPerTile, per = tilesPerTexel;
    const uint32_t usedX = (tilesAcross * side + per - 1) / per, usedY = (tilesDown * side + per - 1) / per;
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t tx = std::min(x, usedX - 1), ty = std::min(y, usedY - 1);
            Vec3 mean;
            if (per == 1) {
                mean =
                    blocks[tileMap[size_t(ty / side) * tilesAcross + tx / side]][size_t(ty % side) * side + tx % side];
            } else {
                // A square of tiles to the texel: their means.
                uint32_t count = 0;
                for (uint32_t tileY = ty * per; tileY < std::min((ty + 1) * per, tilesDown); ++tileY)
                    for (uint32_t tileX = tx * per; tileX < std::min((tx + 1) * per, tilesAcross); ++tileX, ++count)
                        mean += blocks[tileMap[size_t(tileY) * tilesAcross + tileX]][0];
                mean = mean / float(count);
            }
            uint8_t* texel = &rgb[3 * (size_t(y) * width + x)];
            texel[0] = uint8_t(std::lround(std::clamp(mean.x, 0.0f, 1.0f) * 255.0f));
            texel[1] = uint8_t(std::lround(std::clamp(mean.y, 0.0f, 1.0f) * 255.0f));
            texel[2] = uint8_t(std::lround(std::clamp(mean.z, 0.0f, 1.0f) * 255.0f));
        }
    return rgb;
}

float CTerrainOverview::ScaleS() const
{
    return float(texelsPerTile) / (float(subdivisions) * float(tilesPerTexel) * float(width));
}

float CTerrainOverview::ScaleT() const
{
    return float(texelsPerTile) / (float(subdivisions) * float(tilesPerTexel) * float(height));
}
