// Writes the small seed corpora of the fuzz targets: valid files of the
// shapes the game reads, and a few near misses.
#include "tools/common/Image.h"
#include "world/MapFile.h"

#include <cstdio>
#include <string>

namespace {

MapFileData SmallMap(uint32_t width, uint32_t height, uint16_t subdivisions, uint16_t textures)
{
    MapFileData map;
    map.header.width = width;
    map.header.height = height;
    map.header.subdivisions = subdivisions;
    map.header.cellSize = 4;
    map.header.heightScale = 50;
    map.header.lightWord = 0x000001B4;
    for (uint16_t i = 0; i < textures; ++i)
        map.textureNumbers.push_back(i);
    for (uint32_t i = 0; i < width * height; ++i)
        map.tileMap.push_back(uint8_t(i % textures));
    for (uint32_t i = 0; i < map.Columns() * map.Rows(); ++i)
        map.heights.push_back(uint8_t(1 + (i * 37) % 250));
    return map;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_fuzz_seeds SEEDDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    bool ok = true;
    std::string error;
    int n = 0;
    for (auto size : {std::pair<int, int>{1, 1}, {3, 2}, {5, 3}, {16, 16}}) {
        Image image(size.first, size.second);
        for (size_t i = 0; i < image.rgb.size(); ++i)
            image.rgb[i] = uint8_t(i * 13);
        ok &= !WriteBmp(dir + "/bmp/seed" + std::to_string(n++) + ".bmp", image, error);
    }
    n = 0;
    MapFileData gap = SmallMap(2, 2, 2, 2);
    gap.header.tileMapOffset = 64;
    for (const MapFileData& map : {SmallMap(1, 1, 1, 1), SmallMap(3, 2, 4, 3), gap})
        ok &= !WriteFileBytes(dir + "/map/seed" + std::to_string(n++) + ".raw", EncodeMapFile(map), error);
    return ok ? 0 : 1;
}
