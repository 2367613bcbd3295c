#pragma once

// Metres along one degree of latitude and of longitude at a latitude (in
// degrees), on the WGS 84 ellipsoid: what turns a grid in degrees into
// metres. The series is good to a centimetre per degree.
struct DegreeLengths {
    double latitude = 0.0;
    double longitude = 0.0;
};
DegreeLengths MetresPerDegree(double latitudeDegrees);

// Sets a heightmap's spacing from its grid steps in degrees at a latitude,
// with `how` and the latitude as the report's source.
struct Heightmap;
void SpacingFromDegrees(Heightmap& map, double degreesAcross, double degreesDown, double latitudeDegrees,
                        const char* how);

// The height in metres above which land holds snow the year round at a
// latitude (in degrees), after the climatic snow line: highest in the dry
// subtropics, down to the sea near the poles.
double SnowLineAt(double latitudeDegrees);
