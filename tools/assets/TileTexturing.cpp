#include "tools/assets/TileTexturing.h"

#include "tools/assets/TerrainTextures.h"
#include "tools/common/Noise.h"

#include <algorithm>
#include <cmath>

namespace {

// Moves every corner towards its neighbours' values (`raise`: up to one
// below the highest, else down to one above the lowest) until nothing
// changes. Water never rises.
void Settle(std::vector<uint8_t>& corners, uint32_t columns, uint32_t rows, bool raise)
{
    for (bool changed = true; changed;) {
        changed = false;
        for (uint32_t r = 0; r < rows; ++r) {
            for (uint32_t c = 0; c < columns; ++c) {
                uint8_t& here = corners[size_t(r) * columns + c];
                if (raise && here == MAT_WATER)
                    continue;
                for (int dr = -1; dr <= 1; ++dr) {
                    for (int dc = -1; dc <= 1; ++dc) {
                        int nr = int(r) + dr, nc = int(c) + dc;
                        if (nr < 0 || nc < 0 || nr >= int(rows) || nc >= int(columns))
                            continue;
                        uint8_t there = corners[size_t(nr) * columns + nc];
                        if (raise && there > here + 1) {
                            here = uint8_t(there - 1);
                            changed = true;
                        } else if (!raise && here > there + 1) {
                            here = uint8_t(there + 1);
                            changed = true;
                        }
                    }
                }
            }
        }
    }
}

}  // namespace

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

CornerStats MeasureCorner(const MapFileData& map, uint32_t cx, uint32_t cy, const HeightSpan& span, float rise)
{
    CornerStats stats;
    const uint32_t n = map.header.subdivisions, columns = map.Columns(), rows = map.Rows();
    if (n == 0 || map.heights.empty() || map.header.cellSize == 0)
        return stats;
    if (rise <= 0.0f)
        rise = float(map.header.heightScale) * 0.01f / float(map.header.cellSize);
    // Vertices within half a tile of the corner, clipped to the grid.
    const uint32_t half = std::max(1u, n / 2);
    const uint32_t c0 = cx * n > half ? cx * n - half : 0, c1 = std::min(columns - 1, cx * n + half);
    const uint32_t r0 = cy * n > half ? cy * n - half : 0, r1 = std::min(rows - 1, cy * n + half);

    auto at = [&](uint32_t c, uint32_t r) { return float(map.heights[size_t(r) * columns + c]); };
    float sum = 0.0f, top = 0.0f, low = 0.0f, count = 0.0f;
    for (uint32_t r = r0; r <= r1; ++r) {
        for (uint32_t c = c0; c <= c1; ++c) {
            sum += at(c, r);
            top = std::max(top, at(c, r));
            low += at(c, r) <= span.low ? 1.0f : 0.0f;
            count += 1.0f;
        }
    }
    stats.meanHeight = (sum / count - span.low) / span.range;
    stats.maxHeight = (top - span.low) / span.range;
    stats.lowShare = low / count;

    float slopeSum = 0.0f, cells = 0.0f;
    for (uint32_t r = r0; r < r1; ++r) {
        for (uint32_t c = c0; c < c1; ++c) {
            float gx = 0.5f * (at(c + 1, r) - at(c, r) + at(c + 1, r + 1) - at(c, r + 1)) * rise;
            float gy = 0.5f * (at(c, r + 1) - at(c, r) + at(c + 1, r + 1) - at(c + 1, r)) * rise;
            float slope = std::sqrt(gx * gx + gy * gy);
            slopeSum += slope;
            cells += 1.0f;
            stats.maxSlope = std::max(stats.maxSlope, slope);
        }
    }
    stats.meanSlope = cells > 0.0f ? slopeSum / cells : 0.0f;
    return stats;
}

uint8_t ChooseCornerMaterial(const CornerStats& stats)
{
    if (stats.lowShare >= 0.5f)
        return MAT_WATER;
    float steep = 0.6f * stats.meanSlope + 0.4f * stats.maxSlope;
    // Snow caps the highest ground, clinging to steeper slopes the higher
    // it lies.
    float snowLine = 0.5f * (stats.meanHeight + stats.maxHeight);
    if (snowLine > 0.6f && steep < Lerp(1.2f, 2.4f, SmoothStep(0.6f, 0.85f, snowLine)))
        return MAT_SNOW;
    if (steep > 1.1f || stats.meanHeight > 0.5f)
        return MAT_ROCK;
    return MAT_GRASS;
}

uint8_t ChooseRealMaterial(const CornerStats& metres, double snowLineMetres)
{
    // Slopes that snow slides off, that show bare rock, and the band of
    // scree and crags below the snow line.
    const float SNOW_HOLDS = 1.0f, ROCK_SLOPE = 0.7f, ALPINE_BAND = 600.0f;
    if (metres.lowShare >= 0.5f)
        return MAT_WATER;
    const float steep = 0.6f * metres.meanSlope + 0.4f * metres.maxSlope;
    const float level = 0.5f * (metres.meanHeight + metres.maxHeight);
    if (level >= snowLineMetres && steep < SNOW_HOLDS)
        return MAT_SNOW;
    if (steep > ROCK_SLOPE || level > snowLineMetres - ALPINE_BAND)
        return MAT_ROCK;
    return MAT_GRASS;
}

std::vector<uint8_t> ClassifyCorners(const MapFileData& map, bool lowestIsWater)
{
    const uint32_t w = map.header.width + 1, h = map.header.height + 1;
    std::vector<uint8_t> corners(size_t(w) * h, MAT_GRASS);
    const HeightSpan span = SpanOf(map);
    for (uint32_t cy = 0; cy < h; ++cy)
        for (uint32_t cx = 0; cx < w; ++cx) {
            CornerStats stats = MeasureCorner(map, cx, cy, span);
            if (!lowestIsWater)
                stats.lowShare = 0.0f;
            corners[size_t(cy) * w + cx] = ChooseCornerMaterial(stats);
        }
    return corners;
}

void LimitCornerSteps(std::vector<uint8_t>& corners, uint32_t width, uint32_t height)
{
    Settle(corners, width + 1, height + 1, true);
    Settle(corners, width + 1, height + 1, false);
}

void ApplyCornerMaterials(MapFileData& map, const std::vector<uint8_t>& corners)
{
    map.textureNumbers.clear();
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t)
        map.textureNumbers.push_back(TerrainTextureNumber(t));
    map.header.textureCount = uint16_t(map.textureNumbers.size());
    const uint32_t w = map.header.width, h = map.header.height;
    map.tileMap.assign(size_t(w) * h, 0);
    for (uint32_t ty = 0; ty < h; ++ty) {
        for (uint32_t tx = 0; tx < w; ++tx) {
            const uint8_t* top = &corners[size_t(ty) * (w + 1) + tx];
            const uint8_t* bottom = top + (w + 1);
            const uint8_t quad[4] = {top[0], top[1], bottom[0], bottom[1]};
            map.tileMap[size_t(ty) * w + tx] = TextureForCorners(quad);
        }
    }
}

void AssignRealTextures(MapFileData& map, const RealGround& ground)
{
    const uint32_t w = map.header.width + 1, h = map.header.height + 1;
    std::vector<uint8_t> corners(size_t(w) * h, MAT_GRASS);
    // Measured so that a height reads as metres and "lowest" is the sea.
    const double step = ground.stepMetres > 0.0 ? ground.stepMetres : 1.0;
    const HeightSpan metres{float(-ground.lowMetres / step), float(1.0 / step)};
    const float rise = float(step / ground.cellMetres);
    for (uint32_t cy = 0; cy < h; ++cy)
        for (uint32_t cx = 0; cx < w; ++cx)
            corners[size_t(cy) * w + cx] =
                ChooseRealMaterial(MeasureCorner(map, cx, cy, metres, rise), ground.snowLineMetres);
    LimitCornerSteps(corners, map.header.width, map.header.height);
    ApplyCornerMaterials(map, corners);
}

void KeepNamedTextures(MapFileData& map)
{
    std::vector<int> renumbered(map.textureNumbers.size(), -1);
    for (uint8_t tile : map.tileMap)
        renumbered[tile] = 0;
    std::vector<uint32_t> kept;
    for (size_t i = 0; i < renumbered.size(); ++i)
        if (renumbered[i] == 0) {
            renumbered[i] = int(kept.size());
            kept.push_back(map.textureNumbers[i]);
        }
    for (uint8_t& tile : map.tileMap)
        tile = uint8_t(renumbered[tile]);
    map.textureNumbers = kept;
    map.header.textureCount = uint16_t(kept.size());
}

void AssignTileTextures(MapFileData& map, bool lowestIsWater)
{
    std::vector<uint8_t> corners = ClassifyCorners(map, lowestIsWater);
    LimitCornerSteps(corners, map.header.width, map.header.height);
    ApplyCornerMaterials(map, corners);
}
