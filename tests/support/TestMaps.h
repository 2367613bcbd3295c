#pragma once

#include "world/MapFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

class CMap;

// A valid map: `width` x `height` tiles of `subdivisions` cells, texture
// numbers 1..textureCount, tiles cycling through the table, every height
// sample `sample` unless `heightOf(col, row)` is given.
MapFileData TestMap(uint32_t width, uint32_t height, uint16_t subdivisions, uint16_t cellSize, uint16_t heightScale,
                    uint8_t sample = 0, const std::function<uint8_t(uint32_t, uint32_t)>& heightOf = nullptr);

// Heights that differ from each neighbour in both directions.
inline uint8_t BumpyHeight(uint32_t col, uint32_t row)
{
    return uint8_t((col * 37 + row * 101 + col * row * 13) % 251);
}

// Each component within `tolerance` of the wanted one.
inline void ExpectNear(const Vec3& seen, const Vec3& want, float tolerance = 1e-5f)
{
    EXPECT_NEAR(seen.x, want.x, tolerance);
    EXPECT_NEAR(seen.y, want.y, tolerance);
    EXPECT_NEAR(seen.z, want.z, tolerance);
}

// Puts `file` through the encoder and the validator, then into the grid.
void LoadTestGrid(CMap& map, const MapFileData& file);
