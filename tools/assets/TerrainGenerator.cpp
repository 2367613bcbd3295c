#include "tools/assets/TerrainGenerator.h"

#include "tools/assets/TerrainTextures.h"
#include "tools/assets/TileTexturing.h"
#include "tools/common/Noise.h"
#include "tools/common/Progress.h"

#include <algorithm>
#include <cmath>

namespace {

// Share of the height range under water: the ground below it is levelled.
const float SEA_LEVEL = 0.03f;
// The sample of the levelled sea floor, a few steps above 0. Height 0 is
// ground like any other; the floor stays where the default world has it.
const float SEA_SAMPLE = 4.0f;
// Steepest slopes that loose ground holds, in height steps per cell. The
// light word can only put the sun towards +y (or overhead), so slopes facing
// -y are kept gentle to stay out of deep shade, while those facing the sun
// may stand steep and bright.
struct Talus {
    float towardMinusY;
    float towardPlusY;
    float acrossX;
};
const Talus TALUS = {4.0f, 7.0f, 5.5f};

// A grid of floats with bilinear reads, the surface the droplets run on.
struct Field {
    int columns = 0;
    int rows = 0;
    std::vector<float> h;
    std::vector<uint8_t> sea;  // open water: what slides or washes in is lost

    float& At(int c, int r) { return h[size_t(r) * columns + c]; }
    float At(int c, int r) const { return h[size_t(r) * columns + c]; }
    bool IsSea(int c, int r) const { return sea[size_t(r) * columns + c] != 0; }
};

// Height in sample units and its gradient at a point inside the grid.
struct Slope {
    float height;
    float gx;
    float gy;
};

Slope Sample(const Field& f, float x, float y)
{
    int c = std::min(int(x), f.columns - 2);
    int r = std::min(int(y), f.rows - 2);
    float u = x - float(c);
    float v = y - float(r);
    float h00 = f.At(c, r), h10 = f.At(c + 1, r), h01 = f.At(c, r + 1), h11 = f.At(c + 1, r + 1);
    Slope s;
    s.gx = (h10 - h00) * (1.0f - v) + (h11 - h01) * v;
    s.gy = (h01 - h00) * (1.0f - u) + (h11 - h10) * u;
    s.height = (h00 * (1.0f - u) + h10 * u) * (1.0f - v) + (h01 * (1.0f - u) + h11 * u) * v;
    return s;
}

// Stretches the heights to span [0, top].
void Normalize(Field& f, float top)
{
    auto [lo, hi] = std::minmax_element(f.h.begin(), f.h.end());
    float low = *lo, scale = top / std::max(*hi - *lo, 1e-6f);
    for (float& h : f.h)
        h = (h - low) * scale;
}

// Shortest distance, in world units, from (x, y) to the segment a-b.
float DistanceToSegment(float x, float y, float ax, float ay, float bx, float by)
{
    float vx = bx - ax, vy = by - ay;
    float t = Clamp01(((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy));
    float dx = x - (ax + t * vx), dy = y - (ay + t * vy);
    return std::sqrt(dx * dx + dy * dy);
}

// Soft steps: flat treads joined by steep risers, for plateaus and mesas.
float Terrace(float h, float steps)
{
    float t = h * steps;
    float f = std::floor(t);
    float frac = t - f;
    return (f + SmoothStep(0.3f, 0.7f, frac)) / steps;
}

// Raw landscape before erosion, about [0, 1], sampled per vertex: an island
// in shallow water, joined by a low sandy spit to the corner where the start
// and reset points lie; hills and ridged mountains inland, and stepped
// plateaus between. Noise is laid out in cells, so a bigger map gets more
// hills rather than larger ones.
void ShapeLandscape(const TerrainParams& p, Field& f, CProgress& progress)
{
    const float d = float(p.cellSize);
    const float gain = 0.3f + 0.4f * Clamp01(p.roughness);
    const uint32_t s = HashU32(p.seed);
    const float cx = 0.5f * float(f.columns - 1), cy = 0.5f * float(f.rows - 1);
    const float radius = std::min(cx, cy);
    // The spit runs from the start point towards the middle of the island.
    const float spitX = START_X / d, spitY = START_Y / d;
    const float spitEndX = Lerp(spitX, cx, 0.55f), spitEndY = Lerp(spitY, cy, 0.55f);
    const float summitX = Lerp(spitX, cx, 1.15f), summitY = Lerp(spitY, cy, 1.15f);
    for (int r = 0; r < f.rows; ++r) {
        for (int c = 0; c < f.columns; ++c) {
            float x = float(c) / 128.0f;
            float y = float(r) / 128.0f;
            // Warping the domain bends ranges and valleys out of the grid's axes.
            float wx = x + 0.25f * FractalNoise(x * 1.5f + 5.2f, y * 1.5f + 1.3f, s + 1, 4, 0.5f);
            float wy = y + 0.25f * FractalNoise(x * 1.5f + 9.1f, y * 1.5f + 4.7f, s + 2, 4, 0.5f);
            float ridges = RidgedNoise(wx * 1.5f, wy * 1.5f, s + 3, 4, gain);
            float hills = 0.5f + 0.5f * FractalNoise(wx * 2.5f, wy * 2.5f, s + 4, 4, gain);

            // Distance from the middle in island radii, frayed into bays and capes.
            float dx = float(c) - cx, dy = float(r) - cy;
            float fray = 0.30f * FractalNoise(x * 2.5f, y * 2.5f, s + 5, 5, 0.55f);
            float rr = std::sqrt(dx * dx + dy * dy) / radius + fray;
            float island = SmoothStep(0.98f, 0.82f, rr);
            float spitDistance = DistanceToSegment(float(c), float(r), spitX, spitY, spitEndX, spitEndY);
            float spit =
                SmoothStep(12.0f, 6.0f, spitDistance + 4.0f * FractalNoise(x * 6.0f, y * 6.0f, s + 7, 2, 0.5f));
            float land = std::max(island, spit);
            f.sea[size_t(r) * f.columns + c] = land < 0.02f;

            // Mountains gather in ranges inland, away from the start.
            float interior = SmoothStep(0.90f, 0.50f, rr);
            float near = DistanceToSegment(float(c) * d, float(r) * d, START_X, START_Y, RESET_X, RESET_Y) / d;
            float range = SmoothStep(-0.15f, 0.35f, FractalNoise(x * 1.6f + 2.7f, y * 1.6f + 8.3f, s + 8, 3, 0.5f));
            float highland = interior * SmoothStep(16.0f, 56.0f, near) * (0.35f + 0.65f * range);
            float h = land * (0.035f + 0.06f * hills) + highland * (0.14f * hills + 0.75f * std::pow(ridges, 1.3f));
            // One summit stands over the rest, a little beyond the middle
            // as seen from the start, its flanks cut by the ridges.
            float sx = float(c) - summitX, sy = float(r) - summitY;
            float summit = SmoothStep(0.6f, 0.0f, std::sqrt(sx * sx + sy * sy) / radius);
            h += 0.55f * summit * summit * (0.75f + 0.25f * ridges);

            // Some mid-height ground settles into stepped plateaus.
            float mesa = SmoothStep(0.15f, 0.45f, FractalNoise(x * 2.0f + 3.3f, y * 2.0f + 7.1f, s + 6, 3, 0.5f));
            mesa *= SmoothStep(0.15f, 0.3f, h) * (1.0f - SmoothStep(0.55f, 0.75f, h));
            h = Lerp(h, Terrace(h, 6.0f), mesa);
            f.At(c, r) = h;
        }
        progress.Advance();
    }
}

// Loose material slides down wherever a neighbour is lower by more than the
// talus step in that direction; rounds off crests and fills the feet of cliffs.
void ThermalErosion(Field& f, int passes, const Talus& talus, float rate, CProgress& progress)
{
    static const int DX[4] = {1, -1, 0, 0};
    static const int DY[4] = {0, 0, 1, -1};
    // Ground higher than its neighbour at r - 1 is a slope facing -y.
    const float limit[4] = {talus.acrossX, talus.acrossX, talus.towardPlusY, talus.towardMinusY};
    for (int pass = 0; pass < passes; ++pass) {
        for (int r = 0; r < f.rows; ++r) {
            for (int c = 0; c < f.columns; ++c) {
                float h = f.At(c, r);
                for (int k = 0; k < 4; ++k) {
                    int nc = c + DX[k], nr = r + DY[k];
                    if (nc < 0 || nr < 0 || nc >= f.columns || nr >= f.rows)
                        continue;
                    float diff = h - f.At(nc, nr);
                    if (diff > limit[k]) {
                        float move = (diff - limit[k]) * rate;
                        h -= move;
                        if (!f.IsSea(nc, nr))
                            f.At(nc, nr) += move;
                    }
                }
                f.At(c, r) = h;
            }
            progress.Advance();
        }
    }
}

// Lowers the ground wherever it stands more than the talus above a
// neighbour, so no slope is steeper than loose ground holds; gentle ground
// is untouched. Two sweeps of a chamfer transform settle it exactly: each
// cell is kept no higher than any cell before it in the sweep plus the cost
// of the step.
void LimitSlopes(Field& f, const Talus& talus)
{
    const float diagonalMinus = std::sqrt(talus.acrossX * talus.acrossX + talus.towardMinusY * talus.towardMinusY);
    const float diagonalPlus = std::sqrt(talus.acrossX * talus.acrossX + talus.towardPlusY * talus.towardPlusY);
    // Ground rising towards +y (from row r - 1 to r) is a slope facing -y.
    auto settle = [&](int c, int r, int dc, int dr) {
        int nc = c + dc, nr = r + dr;
        if (nc < 0 || nr < 0 || nc >= f.columns || nr >= f.rows)
            return;
        float cost = dr == 0   ? talus.acrossX
                     : dc == 0 ? (dr < 0 ? talus.towardMinusY : talus.towardPlusY)
                               : (dr < 0 ? diagonalMinus : diagonalPlus);
        f.At(c, r) = std::min(f.At(c, r), f.At(nc, nr) + cost);
    };
    for (int r = 0; r < f.rows; ++r)
        for (int c = 0; c < f.columns; ++c) {
            settle(c, r, -1, 0);
            settle(c, r, -1, -1);
            settle(c, r, 0, -1);
            settle(c, r, 1, -1);
        }
    for (int r = f.rows - 1; r >= 0; --r)
        for (int c = f.columns - 1; c >= 0; --c) {
            settle(c, r, 1, 0);
            settle(c, r, 1, 1);
            settle(c, r, 0, 1);
            settle(c, r, -1, 1);
        }
}

// Mixes each height with the mean of its neighbourhood: removes the
// single-cell roughness that the droplets leave on so coarse a grid.
void Smooth(Field& f, float amount)
{
    Field src = f;
    for (int r = 0; r < f.rows; ++r) {
        for (int c = 0; c < f.columns; ++c) {
            float sum = 0.0f, weight = 0.0f;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    int nc = c + dx, nr = r + dy;
                    if (nc < 0 || nr < 0 || nc >= f.columns || nr >= f.rows)
                        continue;
                    float w = (dx == 0 ? 2.0f : 1.0f) * (dy == 0 ? 2.0f : 1.0f);
                    sum += src.At(nc, nr) * w;
                    weight += w;
                }
            }
            f.At(c, r) = Lerp(src.At(c, r), sum / weight, amount);
        }
    }
}

// Raindrops that pick up soil running downhill and drop it where they slow
// down: carves gullies into the slopes and lays fans into the valleys.
void HydraulicErosion(Field& f, uint32_t seed, int droplets, CProgress& progress)
{
    const float inertia = 0.1f;
    const float capacityFactor = 4.0f;
    const float minCapacity = 0.01f;
    const float erodeRate = 0.2f;
    const float depositRate = 0.3f;
    const float evaporation = 0.02f;
    const float gravity = 4.0f;
    const int maxSteps = 48;
    const int radius = 3;

    // Erosion takes from a small disc so that drops do not dig pits.
    std::vector<int> brushX, brushY;
    std::vector<float> brushW;
    float brushSum = 0.0f;
    for (int y = -radius; y <= radius; ++y) {
        for (int x = -radius; x <= radius; ++x) {
            float w = float(radius + 1) - std::sqrt(float(x * x + y * y));
            if (w <= 0.0f)
                continue;
            brushX.push_back(x);
            brushY.push_back(y);
            brushW.push_back(w);
            brushSum += w;
        }
    }

    const float maxX = float(f.columns - 1), maxY = float(f.rows - 1);
    for (int i = 0; i < droplets; ++i) {
        if (i % 4096 == 0)
            progress.Advance(i == 0 ? 0 : 4096);
        float x = HashUnit(i, 1, seed) * maxX;
        float y = HashUnit(i, 2, seed) * maxY;
        float dirX = 0.0f, dirY = 0.0f;
        float speed = 1.0f, water = 1.0f, sediment = 0.0f;
        for (int step = 0; step < maxSteps; ++step) {
            int c = int(x), r = int(y);
            float u = x - float(c), v = y - float(r);
            Slope here = Sample(f, x, y);
            dirX = dirX * inertia - here.gx * (1.0f - inertia);
            dirY = dirY * inertia - here.gy * (1.0f - inertia);
            float len = std::sqrt(dirX * dirX + dirY * dirY);
            if (len < 1e-6f)
                break;
            dirX /= len;
            dirY /= len;
            float nx = x + dirX, ny = y + dirY;
            // Off the map or into the sea: the drop and its load are gone.
            if (nx < 0.0f || ny < 0.0f || nx >= maxX || ny >= maxY || f.IsSea(int(nx), int(ny)))
                break;
            float dh = Sample(f, nx, ny).height - here.height;
            float capacity = std::max(-dh * speed * water * capacityFactor, minCapacity);
            if (dh > 0.0f || sediment > capacity) {
                float drop = dh > 0.0f ? std::min(dh, sediment) : (sediment - capacity) * depositRate;
                sediment -= drop;
                f.At(c, r) += drop * (1.0f - u) * (1.0f - v);
                f.At(c + 1, r) += drop * u * (1.0f - v);
                f.At(c, r + 1) += drop * (1.0f - u) * v;
                f.At(c + 1, r + 1) += drop * u * v;
            } else {
                float take = std::min((capacity - sediment) * erodeRate, -dh);
                for (size_t b = 0; b < brushW.size(); ++b) {
                    int bc = c + brushX[b], br = r + brushY[b];
                    if (bc < 0 || br < 0 || bc >= f.columns || br >= f.rows)
                        continue;
                    float w = take * brushW[b] / brushSum;
                    float& cell = f.At(bc, br);
                    float removed = std::min(cell, w);
                    cell -= removed;
                    sediment += removed;
                }
            }
            speed = std::sqrt(std::max(0.0f, speed * speed - dh * gravity));
            water *= 1.0f - evaporation;
            x = nx;
            y = ny;
        }
    }
}

// Sinks the ground around a drop point into a smooth bowl whose floor is at
// most `floorSample`, so a player falling there lands.
void KeepBelow(std::vector<uint8_t>& heights, uint32_t columns, uint32_t rows, float cellSize, float px, float py,
               int floorSample)
{
    const float radius = 6.0f * cellSize;
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < columns; ++c) {
            float dx = float(c) * cellSize - px, dy = float(r) * cellSize - py;
            float t = std::sqrt(dx * dx + dy * dy) / radius;
            if (t >= 1.0f)
                continue;
            float limit = float(floorSample) + 255.0f * t * t;
            uint8_t& h = heights[size_t(r) * columns + c];
            if (float(h) > limit)
                h = uint8_t(std::max(1.0f, limit));
        }
    }
}

// The tile corner nearest to a drop point becomes land (if it is not
// already higher ground), so the player lands on the island there.
void LandAround(std::vector<uint8_t>& corners, const TerrainParams& p, float x, float y)
{
    const float tile = float(p.cellSize) * float(p.subdivisions);
    if (tile <= 0.0f)
        return;
    const uint32_t w = p.tilesAcross + 1, h = p.tilesDown + 1;
    uint32_t cx = std::min(w - 1, uint32_t(std::lround(x / tile)));
    uint32_t cy = std::min(h - 1, uint32_t(std::lround(y / tile)));
    uint8_t& c = corners[size_t(cy) * w + cx];
    c = std::max(c, uint8_t(MAT_GRASS));
}

// Whether the pictures show water at each vertex: the tiles of water, and
// the water side of the shore in the tiles it runs through.
std::vector<uint8_t> WetVertices(const MapFileData& map, const std::vector<uint8_t>& corners)
{
    const uint32_t n = map.header.subdivisions, w = map.header.width, h = map.header.height;
    const uint32_t columns = map.Columns(), rows = map.Rows();
    std::vector<uint8_t> wet(size_t(columns) * rows, 0);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < columns; ++c) {
            uint32_t tx = std::min(c / n, w - 1), ty = std::min(r / n, h - 1);
            const uint8_t* top = &corners[size_t(ty) * (w + 1) + tx];
            const uint8_t* bottom = top + (w + 1);
            if (std::min({top[0], top[1], bottom[0], bottom[1]}) != MAT_WATER)
                continue;
            uint8_t pattern = uint8_t((top[0] != MAT_WATER) | (top[1] != MAT_WATER) << 1 |
                                      (bottom[0] != MAT_WATER) << 2 | (bottom[1] != MAT_WATER) << 3);
            float u = float(c) / float(n) - float(tx), v = float(r) / float(n) - float(ty);
            wet[size_t(r) * columns + c] = pattern == 0 || SplitField(pattern, u, v) <= 0.0f;
        }
    }
    return wet;
}

// Shapes the ground to the shore the textures draw: where they show water
// it is the flat sea floor, and the land rises out of it as a beach that
// steepens inland. Land that the map's edge cuts through runs down to the
// sea there, so it does not end in a wall.
void FollowShore(MapFileData& map, const std::vector<uint8_t>& corners)
{
    const uint32_t columns = map.Columns(), rows = map.Rows();
    if (map.header.subdivisions == 0 || map.header.width == 0 || map.header.height == 0)
        return;
    std::vector<uint8_t> wet = WetVertices(map, corners);
    // Distance in cells to the water or the map's edge, by two chamfer sweeps.
    std::vector<float> dist(wet.size());
    for (uint32_t r = 0; r < rows; ++r)
        for (uint32_t c = 0; c < columns; ++c) {
            bool edge = c == 0 || r == 0 || c + 1 == columns || r + 1 == rows;
            dist[size_t(r) * columns + c] = wet[size_t(r) * columns + c] || edge ? 0.0f : 1e9f;
        }
    const float diagonal = std::sqrt(2.0f);
    auto relax = [&](uint32_t c, uint32_t r, int dc, int dr) {
        int nc = int(c) + dc, nr = int(r) + dr;
        if (nc < 0 || nr < 0 || nc >= int(columns) || nr >= int(rows))
            return;
        float& here = dist[size_t(r) * columns + c];
        here = std::min(here, dist[size_t(nr) * columns + nc] + (dc != 0 && dr != 0 ? diagonal : 1.0f));
    };
    for (uint32_t r = 0; r < rows; ++r)
        for (uint32_t c = 0; c < columns; ++c) {
            relax(c, r, -1, 0);
            relax(c, r, -1, -1);
            relax(c, r, 0, -1);
            relax(c, r, 1, -1);
        }
    for (uint32_t r = rows; r-- > 0;)
        for (uint32_t c = columns; c-- > 0;) {
            relax(c, r, 1, 0);
            relax(c, r, 1, 1);
            relax(c, r, 0, 1);
            relax(c, r, -1, 1);
        }

    const float sea = SEA_SAMPLE;
    for (size_t i = 0; i < wet.size(); ++i) {
        uint8_t& z = map.heights[i];
        if (wet[i]) {
            z = uint8_t(sea);
            continue;
        }
        float d = dist[i];
        float top = sea + 1.0f + 1.2f * d + 0.35f * d * d;
        z = uint8_t(std::lround(std::clamp(float(z), sea + 1.0f, std::max(top, sea + 1.0f))));
    }
}

}  // namespace

std::vector<float> GenerateHeightField(const TerrainParams& p, CProgress* shown)
{
    CProgress silent(nullptr, false);
    CProgress& progress = shown ? *shown : silent;
    Field f;
    f.columns = int(p.tilesAcross * p.subdivisions + 1);
    f.rows = int(p.tilesDown * p.subdivisions + 1);
    f.h.assign(size_t(f.columns) * f.rows, 0.0f);
    f.sea.assign(f.h.size(), 0);
    if (f.columns < 2 || f.rows < 2 || p.cellSize == 0)
        return f.h;

    progress.Begin("shaping the land", uint64_t(f.rows));
    ShapeLandscape(p, f, progress);
    // Erode in sample units, so the talus step and the droplets' constants
    // mean the same on every map.
    Normalize(f, 250.0f);
    LimitSlopes(f, TALUS);
    const int droplets = f.columns * f.rows / 2, thermalPasses = 10;
    progress.Begin("eroding", uint64_t(droplets));
    HydraulicErosion(f, HashU32(p.seed ^ 0xe7037ed1u), droplets, progress);
    progress.Begin("settling the slopes", uint64_t(thermalPasses) * uint64_t(f.rows));
    ThermalErosion(f, thermalPasses, TALUS, 0.5f, progress);
    Smooth(f, 0.6f);
    // Back to [0, 1] without stretching: a stretch would steepen every slope
    // the erosion has just laid back. The water stays flat, so it is lit evenly.
    for (float& h : f.h)
        h = Clamp01((h / 250.0f - SEA_LEVEL) / (1.0f - SEA_LEVEL));
    return f.h;
}

MapFileData MapForParams(const TerrainParams& p)
{
    MapFileData map;
    map.header.width = p.tilesAcross;
    map.header.height = p.tilesDown;
    map.header.subdivisions = p.subdivisions;
    map.header.cellSize = p.cellSize;
    map.header.heightScale = p.heightScale;
    map.header.lightWord = p.lightWord;
    return map;
}

MapFileData GenerateTerrain(const TerrainParams& p, CProgress* progress)
{
    MapFileData map = MapForParams(p);

    const uint32_t columns = map.Columns(), rows = map.Rows();
    std::vector<float> field = GenerateHeightField(p, progress);
    map.heights.resize(field.size());
    // The lowest ground is the sea floor, SEA_SAMPLE steps up.
    for (size_t i = 0; i < field.size(); ++i)
        map.heights[i] = uint8_t(std::lround(SEA_SAMPLE + field[i] * (255.0f - SEA_SAMPLE)));

    // The island never touches the map's edge, where the skybox's sea takes
    // over, except for the spit under the start and reset points.
    std::vector<uint8_t> corners = ClassifyCorners(map);
    const uint32_t w = p.tilesAcross + 1, h = p.tilesDown + 1;
    for (uint32_t cy = 0; cy < h; ++cy)
        for (uint32_t cx = 0; cx < w; ++cx)
            if (cx == 0 || cy == 0 || cx + 1 == w || cy + 1 == h)
                corners[size_t(cy) * w + cx] = MAT_WATER;
    for (auto [x, y] : {std::pair{START_X, START_Y}, std::pair{RESET_X, RESET_Y}})
        LandAround(corners, p, x, y);
    LimitCornerSteps(corners, p.tilesAcross, p.tilesDown);
    FollowShore(map, corners);

    if (p.heightScale > 0 && p.cellSize > 0) {
        // Well below the drop height, so a player resting there has room.
        float k = float(p.heightScale) * 0.01f;
        int floorSample = std::clamp(int(DROP_HEIGHT * 0.6f / k), 1, 255);
        KeepBelow(map.heights, columns, rows, float(p.cellSize), START_X, START_Y, floorSample);
        KeepBelow(map.heights, columns, rows, float(p.cellSize), RESET_X, RESET_Y, floorSample);
    }
    ApplyCornerMaterials(map, corners);
    return map;
}
