#include "tools/map/ElevationGrid.h"

#include "tools/common/Progress.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// Passes over the voids at each level, after the coarser level's guess,
// each moving a height past its neighbours' mean by OVER_RELAX, which
// settles it in far fewer passes; they stop early once no height moves by
// more than SETTLED.
const int RELAX_PASSES = 60;
const double OVER_RELAX = 1.8;
const float SETTLED = 1e-3f;

// A grid of half the size, each height the mean of the known heights of its
// 2 x 2 block, a void where the block has none.
std::vector<float> Halve(const std::vector<float>& heights, int width, int height, int halfWidth, int halfHeight)
{
    std::vector<float> half(size_t(halfWidth) * halfHeight);
    for (int Y = 0; Y < halfHeight; ++Y)
        for (int X = 0; X < halfWidth; ++X) {
            double sum = 0.0;
            int known = 0;
            for (int y = 2 * Y; y < std::min(2 * Y + 2, height); ++y)
                for (int x = 2 * X; x < std::min(2 * X + 2, width); ++x)
                    if (!std::isnan(heights[size_t(y) * width + x]))
                        sum += heights[size_t(y) * width + x], ++known;
            half[size_t(Y) * halfWidth + X] = known ? float(sum / known) : NAN;
        }
    return half;
}

// The half-size grid's surface at (x, y) of this one: its heights stand at
// the middles of their blocks.
float Upsampled(const std::vector<float>& half, int halfWidth, int halfHeight, int x, int y)
{
    const double u = std::clamp((x - 0.5) / 2.0, 0.0, double(halfWidth - 1));
    const double v = std::clamp((y - 0.5) / 2.0, 0.0, double(halfHeight - 1));
    const int x0 = int(u), y0 = int(v), x1 = std::min(x0 + 1, halfWidth - 1), y1 = std::min(y0 + 1, halfHeight - 1);
    const double fx = u - x0, fy = v - y0;
    auto at = [&](int a, int b) { return double(half[size_t(b) * halfWidth + a]); };
    return float((at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) + (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy);
}

// Over-relaxing may overshoot the neighbours' mean: kept within the known
// heights, so it can never run past the largest float.
void FillLevel(std::vector<float>& heights, int width, int height, float lowest, float highest, CProgress* progress)
{
    std::vector<size_t> voids;
    for (size_t i = 0; i < heights.size(); ++i)
        if (std::isnan(heights[i]))
            voids.push_back(i);
    if (voids.empty())
        return;
    {
        const int halfWidth = (width + 1) / 2, halfHeight = (height + 1) / 2;
        std::vector<float> half = Halve(heights, width, height, halfWidth, halfHeight);
        FillLevel(half, halfWidth, halfHeight, lowest, highest, progress);
        for (size_t i : voids)
            heights[i] = Upsampled(half, halfWidth, halfHeight, int(i % size_t(width)), int(i / size_t(width)));
    }
    for (int pass = 0; pass < RELAX_PASSES; ++pass) {
        if (progress)
            progress->Advance(0);
        float moved = 0.0f;
        for (size_t i : voids) {
            const int x = int(i % size_t(width)), y = int(i / size_t(width));
            double sum = 0.0;
            int n = 0;
            if (x > 0)
                sum += heights[i - 1], ++n;
            if (x + 1 < width)
                sum += heights[i + 1], ++n;
            if (y > 0)
                sum += heights[i - size_t(width)], ++n;
            if (y + 1 < height)
                sum += heights[i + size_t(width)], ++n;
            const float settled =
                n ? float(std::clamp(heights[i] + OVER_RELAX * (sum / n - heights[i]), double(lowest), double(highest)))
                  : heights[i];
            moved = std::max(moved, std::fabs(settled - heights[i]));
            heights[i] = settled;
        }
        if (moved <= SETTLED)
            break;
    }
}

}  // namespace

long FillVoids(std::vector<float>& heights, int width, int height, CProgress* progress)
{
    const long voids = long(std::count_if(heights.begin(), heights.end(), [](float h) { return std::isnan(h); }));
    if (voids == long(heights.size()))
        return heights.empty() ? 0 : -1;
    if (voids > 0) {
        float lowest = INFINITY, highest = -INFINITY;
        for (float h : heights)
            if (!std::isnan(h))
                lowest = std::min(lowest, h), highest = std::max(highest, h);
        FillLevel(heights, width, height, lowest, highest, progress);
    }
    return voids;
}
