#include "tools/map/ElevationGrid.h"

#include <algorithm>
#include <cmath>

long FillVoids(std::vector<float>& metres, int width, int height)
{
    // Most grids have no voids: they cost one pass and no allocation.
    const long voids = long(std::count_if(metres.begin(), metres.end(), [](float m) { return std::isnan(m); }));
    if (voids == 0 || voids == long(metres.size()))
        return voids == 0 ? 0 : -1;
    std::vector<size_t> layer, next;
    std::vector<bool> queued(metres.size(), false);
    auto neighbours = [width, height](size_t i, size_t out[4]) {
        int n = 0, x = int(i % size_t(width)), y = int(i / size_t(width));
        if (x > 0) out[n++] = i - 1;
        if (x + 1 < width) out[n++] = i + 1;
        if (y > 0) out[n++] = i - size_t(width);
        if (y + 1 < height) out[n++] = i + size_t(width);
        return n;
    };
    for (size_t i = 0; i < metres.size(); ++i) {
        if (!std::isnan(metres[i]))
            continue;
        size_t around[4];
        int n = neighbours(i, around);
        for (int k = 0; k < n; ++k)
            if (!std::isnan(metres[around[k]])) {
                layer.push_back(i), queued[i] = true;
                break;
            }
    }
    std::vector<float> values;
    while (!layer.empty()) {
        // A whole layer is worked out before any of it is written, so a
        // void never takes a neighbour filled in the same round.
        values.assign(layer.size(), 0.0f);
        for (size_t j = 0; j < layer.size(); ++j) {
            size_t around[4];
            int n = neighbours(layer[j], around), count = 0;
            double sum = 0.0;
            for (int k = 0; k < n; ++k)
                if (!std::isnan(metres[around[k]]))
                    sum += metres[around[k]], ++count;
            values[j] = float(sum / count);
        }
        next.clear();
        for (size_t j = 0; j < layer.size(); ++j)
            metres[layer[j]] = values[j];
        for (size_t i : layer) {
            size_t around[4];
            int n = neighbours(i, around);
            for (int k = 0; k < n; ++k)
                if (std::isnan(metres[around[k]]) && !queued[around[k]])
                    next.push_back(around[k]), queued[around[k]] = true;
        }
        layer.swap(next);
    }
    return voids;
}

void StoreElevation(const std::vector<float>& metres, int width, int height, double step, Heightmap& out)
{
    auto [lo, hi] = std::minmax_element(metres.begin(), metres.end());
    const double low = *lo, range = double(*hi) - low;
    if (step <= 0.0 || range / step > 65535.0)
        step = range > 0.0 ? range / 65535.0 : 1.0;
    out.width = width;
    out.height = height;
    out.maxValue = uint32_t(std::max(1L, std::lround(range / step)));
    out.samples.resize(metres.size());
    for (size_t i = 0; i < metres.size(); ++i)
        out.samples[i] = uint16_t(std::min(long(out.maxValue), std::lround((metres[i] - low) / step)));
    out.elevation = true;
    out.metresLow = low;
    out.metresPerValue = step;
}
