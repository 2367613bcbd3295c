#include "tools/map/SrtmTile.h"

#include "tools/map/EarthScale.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int SRTM_SIDES[2] = {1201, 3601};

// Each void takes the mean of its filled four-neighbours, nearest voids
// first, so a hole closes from its rim inwards in one pass over the grid.
// Returns the number filled; -1 when there is nothing to fill from.
long FillVoids(std::vector<int>& h, int side)
{
    std::vector<size_t> layer, next;
    std::vector<bool> queued(h.size(), false);
    auto neighbours = [side](size_t i, size_t out[4]) {
        int n = 0, x = int(i % size_t(side)), y = int(i / size_t(side));
        if (x > 0) out[n++] = i - 1;
        if (x + 1 < side) out[n++] = i + 1;
        if (y > 0) out[n++] = i - size_t(side);
        if (y + 1 < side) out[n++] = i + size_t(side);
        return n;
    };
    long voids = 0;
    for (size_t i = 0; i < h.size(); ++i) {
        if (h[i] != SRTM_VOID)
            continue;
        ++voids;
        size_t around[4];
        int n = neighbours(i, around);
        for (int k = 0; k < n; ++k)
            if (h[around[k]] != SRTM_VOID) {
                layer.push_back(i), queued[i] = true;
                break;
            }
    }
    if (voids == long(h.size()))
        return -1;
    while (!layer.empty()) {
        std::vector<int> values(layer.size());
        for (size_t j = 0; j < layer.size(); ++j) {
            size_t around[4];
            int n = neighbours(layer[j], around), sum = 0, count = 0;
            for (int k = 0; k < n; ++k)
                if (h[around[k]] != SRTM_VOID)
                    sum += h[around[k]], ++count;
            values[j] = (sum + (sum >= 0 ? count / 2 : -(count / 2))) / count;  // rounded mean
        }
        next.clear();
        for (size_t j = 0; j < layer.size(); ++j)
            h[layer[j]] = values[j];
        for (size_t i : layer) {
            size_t around[4];
            int n = neighbours(i, around);
            for (int k = 0; k < n; ++k)
                if (h[around[k]] == SRTM_VOID && !queued[around[k]])
                    next.push_back(around[k]), queued[around[k]] = true;
        }
        layer.swap(next);
    }
    return voids;
}

} // namespace

int SrtmArcSeconds(int side) { return side == SRTM_SIDES[0] ? 3 : 1; }

bool IsSrtmSize(size_t size)
{
    for (int side : SRTM_SIDES)
        if (size == size_t(side) * size_t(side) * 2)
            return true;
    return false;
}

bool DecodeSrtm(const uint8_t* data, size_t size, Heightmap& out, std::string& error)
{
    const int side = size == size_t(SRTM_SIDES[0]) * SRTM_SIDES[0] * 2 ? SRTM_SIDES[0] : SRTM_SIDES[1];
    std::vector<int> h(size / 2);
    for (size_t i = 0; i < h.size(); ++i)
        h[i] = int16_t(uint16_t(data[2 * i] << 8 | data[2 * i + 1]));
    long filled = FillVoids(h, side);
    if (filled < 0) {
        error = "SRTM tile holds only voids";
        return true;
    }
    auto [lo, hi] = std::minmax_element(h.begin(), h.end());
    const int low = *lo, high = *hi;
    out.width = out.height = side;
    out.maxValue = uint32_t(std::max(1, high - low));
    out.samples.resize(h.size());
    for (size_t i = 0; i < h.size(); ++i)
        out.samples[i] = uint16_t(h[i] - low);
    out.elevation = true;
    out.metresLow = low;
    out.metresPerValue = 1.0;
    // The latitude comes from the file's name, when it has one.
    SpacingFromDegrees(out, SrtmArcSeconds(side) / 3600.0, SrtmArcSeconds(side) / 3600.0, 0.0,
                       side == SRTM_SIDES[0] ? "3 arc-seconds, latitude unknown," : "1 arc-second, latitude unknown,");
    char format[160];
    snprintf(format, sizeof format, "SRTM tile, %s arc-second%s, heights %d .. %d m, %ld void%s filled",
             side == SRTM_SIDES[0] ? "3" : "1", side == SRTM_SIDES[0] ? "s" : "", low, high, filled,
             filled == 1 ? "" : "s");
    out.format = format;
    return false;
}

bool SrtmCorner(const std::string& fileName, int& latitude, int& longitude)
{
    char ns = 0, ew = 0;
    int lat = 0, lon = 0, used = 0;
    std::string base = fileName.substr(fileName.find_last_of('/') + 1);
    if (sscanf(base.c_str(), "%c%2d%c%3d%n", &ns, &lat, &ew, &lon, &used) != 4 || used != 7 ||
        (ns != 'N' && ns != 'S' && ns != 'n' && ns != 's') || (ew != 'E' && ew != 'W' && ew != 'e' && ew != 'w') ||
        lat > 90 || lon > 180)
        return false;
    latitude = (ns == 'S' || ns == 's') ? -lat : lat;
    longitude = (ew == 'W' || ew == 'w') ? -lon : lon;
    return true;
}
