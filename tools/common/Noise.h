#pragma once

#include <cstdint>

// Procedural noise for the generated assets. Everything is built on an
// integer hash, so the same arguments give the same value on every run and
// every machine; no state, no random engine.

uint32_t HashU32(uint32_t v);
uint32_t HashLattice(int32_t x, int32_t y, uint32_t seed);
// A hash in [0, 1): per-pixel grain and jitter.
float HashUnit(int32_t x, int32_t y, uint32_t seed);

// Smooth gradient noise, roughly in [-1, 1] and 0 on lattice points. A
// period > 0 wraps the lattice every `period` cells in x and y, so a picture
// sampling [0, period) repeats without a seam.
float GradientNoise(float x, float y, uint32_t seed, int period = 0);

// Octaves of gradient noise, each of twice the frequency of the last and
// `gain` times its amplitude, normalised to about [-1, 1]. With a period the
// octaves wrap at period, 2 period, 4 period ... and stay seamless.
float FractalNoise(float x, float y, uint32_t seed, int octaves, float gain, int period = 0);

// Ridged octaves in [0, 1]: sharp crests where the noise crosses zero, each
// octave weighted by the one before so detail gathers on the ridges.
float RidgedNoise(float x, float y, uint32_t seed, int octaves, float gain);

// One-dimensional fractal noise that repeats every `period` units of x,
// about [-1, 1]; for profiles that wrap around the horizon.
float PeriodicNoise1D(float x, int period, uint32_t seed, int octaves, float gain);

// Distances to the nearest and second-nearest feature point of a jittered
// grid with one point per cell, wrapping every `period` cells (> 0).
struct CellDistances {
    float nearest;
    float second;
};
CellDistances CellularNoise(float x, float y, uint32_t seed, int period);

float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);
float Lerp(float a, float b, float t);
