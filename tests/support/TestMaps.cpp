#include "tests/support/TestMaps.h"

#include "world/Map.h"

#include <gtest/gtest.h>

MapFileData TestMap(uint32_t width, uint32_t height, uint16_t subdivisions, uint16_t cellSize, uint16_t heightScale,
                    uint8_t sample, const std::function<uint8_t(uint32_t, uint32_t)>& heightOf)
{
    MapFileData map;
    map.header.width = width;
    map.header.height = height;
    map.header.subdivisions = subdivisions;
    map.header.cellSize = cellSize;
    map.header.heightScale = heightScale;
    map.header.lightWord = 0x000000FF;  // straight down onto the ground
    map.textureNumbers = {1, 2};
    map.header.textureCount = 2;
    for (uint32_t i = 0; i < width * height; ++i)
        map.tileMap.push_back(uint8_t(i % 2));
    for (uint32_t row = 0; row < map.Rows(); ++row)
        for (uint32_t col = 0; col < map.Columns(); ++col)
            map.heights.push_back(heightOf ? heightOf(col, row) : sample);
    return map;
}

void LoadTestGrid(CMap& map, const MapFileData& file)
{
    std::vector<uint8_t> bytes = EncodeMapFile(file);
    MapFileData checked;
    std::vector<std::string> faults = ValidateMapFile(bytes.data(), bytes.size(), &checked);
    ASSERT_TRUE(faults.empty()) << faults.front();
    map.LoadGrid(checked);
}
