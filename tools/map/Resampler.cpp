#include "tools/map/Resampler.h"

#include <algorithm>
#include <cmath>

namespace {

// Where grid line i of n falls on a picture side of `pixels`, with the
// end lines on the end pixels.
double SourceCoordinate(uint32_t i, uint32_t n, int pixels)
{
    if (n < 2)
        return double(pixels - 1) * 0.5;
    return double(i) * double(pixels - 1) / double(n - 1);
}

} // namespace

std::vector<float> ResampleBilinear(const Heightmap& picture, uint32_t columns, uint32_t rows)
{
    std::vector<float> values(size_t(columns) * rows, 0.0f);
    if (picture.width < 1 || picture.height < 1)
        return values;
    for (uint32_t r = 0; r < rows; ++r) {
        double v = SourceCoordinate(r, rows, picture.height);
        int y0 = std::min(int(v), picture.height - 1);
        int y1 = std::min(y0 + 1, picture.height - 1);
        double fy = v - y0;
        for (uint32_t c = 0; c < columns; ++c) {
            double u = SourceCoordinate(c, columns, picture.width);
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
