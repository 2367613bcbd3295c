#include "tools/map/Resampler.h"

#include <algorithm>
#include <cmath>

namespace {

// Grid line i at picture coordinate start + i * step, clamped to the picture.
std::vector<float> Resample(const Heightmap& picture, uint32_t columns, uint32_t rows, double startX, double stepX,
                            double startY, double stepY)
{
    std::vector<float> values(size_t(columns) * rows, 0.0f);
    if (picture.width < 1 || picture.height < 1)
        return values;
    for (uint32_t r = 0; r < rows; ++r) {
        double v = std::min(startY + r * stepY, double(picture.height - 1));
        int y0 = std::min(int(v), picture.height - 1);
        int y1 = std::min(y0 + 1, picture.height - 1);
        double fy = v - y0;
        for (uint32_t c = 0; c < columns; ++c) {
            double u = std::min(startX + c * stepX, double(picture.width - 1));
            int x0 = std::min(int(u), picture.width - 1);
            int x1 = std::min(x0 + 1, picture.width - 1);
            double fx = u - x0;
            double top = picture.At(x0, y0) * (1.0 - fx) + picture.At(x1, y0) * fx;
            double bottom = picture.At(x0, y1) * (1.0 - fx) + picture.At(x1, y1) * fx;
            values[size_t(r) * columns + c] = float(top * (1.0 - fy) + bottom * fy);
        }
    }
    return values;
}

} // namespace

std::vector<float> ResampleBilinear(const Heightmap& picture, uint32_t columns, uint32_t rows)
{
    // One line alone samples the middle.
    auto step = [](uint32_t n, int pixels) { return n < 2 ? 0.0 : double(pixels - 1) / double(n - 1); };
    auto start = [](uint32_t n, int pixels) { return n < 2 ? double(pixels - 1) * 0.5 : 0.0; };
    return Resample(picture, columns, rows, start(columns, picture.width), step(columns, picture.width),
                    start(rows, picture.height), step(rows, picture.height));
}

std::vector<float> ResampleSteps(const Heightmap& picture, uint32_t columns, uint32_t rows, double stepX,
                                 double stepY)
{
    return Resample(picture, columns, rows, 0.0, stepX, 0.0, stepY);
}

std::vector<uint8_t> QuantiseHeights(const std::vector<float>& values, bool stretch)
{
    float low = 0.0f, range = 1.0f;
    if (stretch && !values.empty()) {
        auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        if (*hi > *lo) {
            low = *lo;
            range = *hi - *lo;
        }
    }
    std::vector<uint8_t> heights(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        float t = std::clamp((values[i] - low) / range, 0.0f, 1.0f);
        heights[i] = uint8_t(std::lround(t * 255.0f));
    }
    return heights;
}
