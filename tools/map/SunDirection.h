#pragma once

#include <cstdint>

// Directions are given as elevation above the ground plane and azimuth in
// that plane, in degrees; azimuth 0 points along +x (growing column) and 90
// along +y (growing row) of the map's logical ground plane, the frame in
// which the game lights the ground.
struct SunAngles {
    double elevation = 0.0;
    double azimuth = 0.0;
    bool overhead = false;  // straight up: the azimuth means nothing
    bool none = false;      // a light word without direction (all three bytes 0)
};

// The direction the game reads from a light word (LightDirFromWord).
SunAngles SunAnglesOfWord(uint32_t lightWord);

// The light word whose direction, as the game decodes it, lies nearest the
// wanted one. The decoding scales x by about 257 per step and z by 1/255,
// so only a few directions can be stored at all: azimuth 90 with elevations
// up to 44.9 degrees, straight up, and near-horizontal ones.
uint32_t NearestLightWord(double elevationDegrees, double azimuthDegrees);

// Angle in degrees between two directions.
double AngleBetween(const SunAngles& a, const SunAngles& b);
