#include "tools/assets/TileTexturing.h"

#include "tools/assets/TerrainTextures.h"
#include "tools/common/Noise.h"

#include <algorithm>
#include <cmath>

namespace {

// Rung by height alone: water on the levelled sea floor, a beach band, a
// wide band of grass and meadow, bare rock above it, snow among the rocks
// on the tops and whole snowfields only on the very highest ground.
float RungByHeight(float h)
{
    static const float HEIGHTS[] = {0.0f, 0.012f, 0.04f, 0.065f, 0.09f, 0.13f, 0.30f, 0.42f, 0.52f, 0.62f, 0.78f, 1.0f};
    static const float RUNGS[] = {0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 5.4f, 6.4f, 7.6f, 8.6f, 9.4f, 10.0f};
    const int n = int(sizeof HEIGHTS / sizeof HEIGHTS[0]);
    if (h >= HEIGHTS[n - 1])
        return RUNGS[n - 1];
    int i = 0;
    while (i + 1 < n - 1 && h >= HEIGHTS[i + 1])
        ++i;
    float t = Clamp01((h - HEIGHTS[i]) / (HEIGHTS[i + 1] - HEIGHTS[i]));
    return Lerp(RUNGS[i], RUNGS[i + 1], t);
}

} // namespace

HeightSpan SpanOf(const MapFileData& map)
{
    HeightSpan span;
    if (map.heights.empty())
        return span;
    auto [lo, hi] = std::minmax_element(map.heights.begin(), map.heights.end());
    span.low = float(*lo);
    span.range = std::max(1.0f, float(*hi) - float(*lo));
    return span;
}

TileStats MeasureTile(const MapFileData& map, uint32_t tx, uint32_t ty)
{
    return MeasureTile(map, tx, ty, SpanOf(map));
}

TileStats MeasureTile(const MapFileData& map, uint32_t tx, uint32_t ty, const HeightSpan& span)
{
    TileStats stats;
    const uint32_t n = map.header.subdivisions, columns = map.Columns();
    if (n == 0 || map.heights.empty() || map.header.cellSize == 0)
        return stats;
    const float low = span.low, range = span.range;
    float rise = float(map.header.heightScale) * 0.01f / float(map.header.cellSize);

    auto at = [&](uint32_t c, uint32_t r) { return float(map.heights[size_t(r) * columns + c]); };
    float sum = 0.0f, top = 0.0f;
    for (uint32_t r = ty * n; r <= (ty + 1) * n; ++r) {
        for (uint32_t c = tx * n; c <= (tx + 1) * n; ++c) {
            sum += at(c, r);
            top = std::max(top, at(c, r));
        }
    }
    stats.meanHeight = (sum / float((n + 1) * (n + 1)) - low) / range;
    stats.maxHeight = (top - low) / range;

    float slopeSum = 0.0f;
    for (uint32_t r = ty * n; r < (ty + 1) * n; ++r) {
        for (uint32_t c = tx * n; c < (tx + 1) * n; ++c) {
            float gx = 0.5f * (at(c + 1, r) - at(c, r) + at(c + 1, r + 1) - at(c, r + 1)) * rise;
            float gy = 0.5f * (at(c, r + 1) - at(c, r) + at(c + 1, r + 1) - at(c + 1, r)) * rise;
            float slope = std::sqrt(gx * gx + gy * gy);
            slopeSum += slope;
            stats.maxSlope = std::max(stats.maxSlope, slope);
        }
    }
    stats.meanSlope = slopeSum / float(n * n);
    return stats;
}

uint8_t ChooseTileTexture(const TileStats& stats)
{
    float rung = RungByHeight(stats.meanHeight);
    // Steep ground is bare whatever its height: pull it towards rock. Snow
    // clings to steeper ground than grass does.
    float onset = Lerp(0.55f, 0.8f, SmoothStep(0.6f, 0.85f, stats.meanHeight));
    float steep = SmoothStep(onset, onset + 0.7f, 0.7f * stats.meanSlope + 0.3f * stats.maxSlope);
    rung = Lerp(rung, float(TEX_ROCK), steep);
    int index = int(std::lround(rung));
    return uint8_t(std::clamp(index, 0, int(TERRAIN_TEXTURE_COUNT) - 1));
}

std::vector<uint8_t> SoftenTileEdges(const std::vector<uint8_t>& tiles, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> out = tiles;
    for (uint32_t ty = 0; ty < height; ++ty) {
        for (uint32_t tx = 0; tx < width; ++tx) {
            uint8_t& t = out[size_t(ty) * width + tx];
            if (t < TEX_SAND)
                continue;
            auto lift = [&](uint32_t x, uint32_t y) {
                uint8_t n = tiles[size_t(y) * width + x];
                if (n >= TEX_ROCK && t + 1 < n)
                    t = uint8_t(n - 1);
            };
            if (tx > 0)
                lift(tx - 1, ty);
            if (tx + 1 < width)
                lift(tx + 1, ty);
            if (ty > 0)
                lift(tx, ty - 1);
            if (ty + 1 < height)
                lift(tx, ty + 1);
        }
    }
    return out;
}

void AssignTileTextures(MapFileData& map)
{
    map.textureNumbers.clear();
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t)
        map.textureNumbers.push_back(TerrainTextureNumber(t));
    map.header.textureCount = uint16_t(map.textureNumbers.size());
    map.tileMap.assign(size_t(map.header.width) * map.header.height, 0);
    const HeightSpan span = SpanOf(map);
    for (uint32_t ty = 0; ty < map.header.height; ++ty)
        for (uint32_t tx = 0; tx < map.header.width; ++tx)
            map.tileMap[size_t(ty) * map.header.width + tx] = ChooseTileTexture(MeasureTile(map, tx, ty, span));
    map.tileMap = SoftenTileEdges(map.tileMap, map.header.width, map.header.height);
}
