#include "tools/map/SrtmTile.h"

#include "tools/map/EarthScale.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

const int SRTM_SIDES[2] = {1201, 3601};

const char* ArcLabel(int side) { return side == SRTM_SIDES[0] ? "3 arc-seconds" : "1 arc-second"; }

// Two or three digits at `text`, or -1.
int Digits(const std::string& text, size_t at, size_t count)
{
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (i >= text.size() || !isdigit(static_cast<unsigned char>(text[i])))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

bool IsSrtmSize(size_t size)
{
    for (int side : SRTM_SIDES)
        if (size == size_t(side) * size_t(side) * 2)
            return true;
    return false;
}

bool DecodeSrtm(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    return DecodeSrtmSide(data, size == size_t(SRTM_SIDES[0]) * SRTM_SIDES[0] * 2 ? SRTM_SIDES[0] : SRTM_SIDES[1], out,
                          sampler, error);
}

bool DecodeSrtmSide(const uint8_t* data, int side, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    out.width = out.height = side;
    out.srtmSide = side;
    out.elevation = true;
    out.format = std::string("SRTM tile, ") + ArcLabel(side);
    out.spacingSource = "a tile's latitude, and so its spacing, comes from its name";
    if (!sampler)
        return false;
    std::vector<float> row(static_cast<size_t>(side));
    for (int y = 0; y < side; ++y) {
        const uint8_t* p = data + 2 * size_t(y) * size_t(side);
        for (int x = 0; x < side; ++x, p += 2) {
            const int v = int16_t(uint16_t(p[0] << 8 | p[1]));
            row[size_t(x)] = v == SRTM_VOID ? NAN : float(v);
        }
        sampler->AddRow(y, row.data(), side);
    }
    if (sampler->voids == sampler->samples) {
        error = "SRTM tile holds only voids";
        return true;
    }
    return false;
}

std::string SrtmTileName(const std::string& path, int& latitude, int& longitude)
{
    const std::string base = path.substr(path.find_last_of('/') + 1);
    const char ns = base.empty() ? 0 : char(toupper(static_cast<unsigned char>(base[0])));
    const char ew = base.size() < 4 ? 0 : char(toupper(static_cast<unsigned char>(base[3])));
    const int lat = Digits(base, 1, 2), lon = Digits(base, 4, 3);
    if ((ns != 'N' && ns != 'S') || (ew != 'E' && ew != 'W') || lat < 0 || lon < 0 ||
        (base.size() > 7 && base[7] != '.'))
        return "the name " + base + " is not a tile's (like N46E010.hgt)";
    if (lat > 89 || lon > 179)
        return "the name " + base + " is not a tile's: latitudes run to 89 and longitudes to 179";
    latitude = ns == 'S' ? -lat : lat;
    longitude = ew == 'W' ? -lon : lon;
    return std::string();
}

void PlaceSrtmTile(Heightmap& tile, int latitude, int longitude)
{
    const double step = 1.0 / (tile.width - 1);
    tile.frame.known = tile.frame.geographic = true;
    tile.frame.originX = longitude, tile.frame.originY = latitude + 1.0;  // the first row is the northern edge
    tile.frame.columnX = step, tile.frame.rowY = -step;
    tile.latitudeKnown = true;
    tile.latitude = latitude + 0.5;
    SpacingFromDegrees(tile, step, step, tile.latitude, ArcLabel(tile.width));
    tile.format += ", south-west corner " + std::to_string(latitude) + ", " + std::to_string(longitude);
}
