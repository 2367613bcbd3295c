#include "tools/map/Resampler.h"

#include <algorithm>
#include <cmath>

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
