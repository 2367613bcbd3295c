#include "tools/map/EarthScale.h"

#include "tools/map/Heightmap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

double SnowLineAt(double latitudeDegrees)
{
    static const double line[][2] = {{0, 4900},  {20, 5300}, {30, 4800}, {40, 3600}, {45, 3000},
                                     {50, 2500}, {60, 1500}, {70, 700},  {80, 200},  {90, 0}};
    const double at = std::min(90.0, std::fabs(latitudeDegrees));
    for (size_t i = 1; i < sizeof line / sizeof line[0]; ++i)
        if (at <= line[i][0])
            return line[i - 1][1] +
                   (at - line[i - 1][0]) / (line[i][0] - line[i - 1][0]) * (line[i][1] - line[i - 1][1]);
    return 0.0;
}
