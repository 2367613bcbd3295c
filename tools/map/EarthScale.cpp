#include "tools/map/EarthScale.h"

#include "tools/map/HeightmapReader.h"

#include <cstdio>

#include <cmath>

DegreeLengths MetresPerDegree(double latitudeDegrees)
{
    const double phi = latitudeDegrees * M_PI / 180.0;
    DegreeLengths d;
    d.latitude = 111132.92 - 559.82 * std::cos(2 * phi) + 1.175 * std::cos(4 * phi) - 0.0023 * std::cos(6 * phi);
    d.longitude = 111412.84 * std::cos(phi) - 93.5 * std::cos(3 * phi) + 0.118 * std::cos(5 * phi);
    if (d.longitude < 0.0)
        d.longitude = 0.0;  // the poles
    return d;
}

void SpacingFromDegrees(Heightmap& map, double degreesAcross, double degreesDown, double latitudeDegrees,
                        const char* how)
{
    DegreeLengths lengths = MetresPerDegree(latitudeDegrees);
    map.spacingX = degreesAcross * lengths.longitude;
    map.spacingY = degreesDown * lengths.latitude;
    char source[160];
    snprintf(source, sizeof source, "%s at latitude %.2f", how, latitudeDegrees);
    map.spacingSource = source;
}
