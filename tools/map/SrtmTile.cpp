#include "tools/map/SrtmTile.h"

#include "tools/map/EarthScale.h"
#include "tools/map/ElevationGrid.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const int SRTM_SIDES[2] = {1201, 3601};

const char* ArcLabel(int side) { return side == SRTM_SIDES[0] ? "3 arc-seconds" : "1 arc-second"; }

} // namespace

int SrtmArcSeconds(int side) { return side == SRTM_SIDES[0] ? 3 : 1; }

void SetSrtmSpacing(Heightmap& tile, const int* southLatitude)
{
    const double step = SrtmArcSeconds(tile.width) / 3600.0;
    std::string how = ArcLabel(tile.width);
    if (!southLatitude)
        how += ", latitude unknown,";
    SpacingFromDegrees(tile, step, step, southLatitude ? *southLatitude + 0.5 : 0.0, how.c_str());
}

bool IsSrtmSize(size_t size)
{
    for (int side : SRTM_SIDES)
        if (size == size_t(side) * size_t(side) * 2)
            return true;
    return false;
}

bool DecodeSrtm(const uint8_t* data, size_t size, Heightmap& out, std::string& error)
{
    return DecodeSrtmSide(data, size == size_t(SRTM_SIDES[0]) * SRTM_SIDES[0] * 2 ? SRTM_SIDES[0] : SRTM_SIDES[1], out,
                          error);
}

bool DecodeSrtmSide(const uint8_t* data, int side, Heightmap& out, std::string& error)
{
    std::vector<float> metres(size_t(side) * size_t(side));
    for (size_t i = 0; i < metres.size(); ++i) {
        int v = int16_t(uint16_t(data[2 * i] << 8 | data[2 * i + 1]));
        metres[i] = v == SRTM_VOID ? NAN : float(v);
    }
    long filled = FillVoids(metres, side, side);
    if (filled < 0) {
        error = "SRTM tile holds only voids";
        return true;
    }
    StoreElevation(metres, side, side, 1.0, out);
    // The latitude comes from the file's name, when it has one.
    SetSrtmSpacing(out, nullptr);
    char format[160];
    snprintf(format, sizeof format, "SRTM tile, %s, heights %.0f .. %.0f m, %ld void%s filled", ArcLabel(side),
             out.metresLow, out.metresLow + out.maxValue, filled, filled == 1 ? "" : "s");
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
