// Writes the small seed corpora of the fuzz targets: valid files of the shapes the game reads.
#include "tests/support/TestMaps.h"
#include "tools/common/Image.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_fuzz_seeds SEEDDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::string error;
    bool failed = false;
    int n = 0;
    for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {5, 3}, {16, 16}}) {
        Image image(w, h);
        for (size_t i = 0; i < image.rgb.size(); ++i)
            image.rgb[i] = uint8_t(i * 13);
        failed |= WriteBmp(dir + "/bmp/seed" + std::to_string(n++) + ".bmp", image, error);
    }
    MapFileData gap = TestMap(2, 2, 2, 4, 50, 0, BumpyHeight);
    gap.header.tileMapOffset = 64;
    n = 0;
    for (const MapFileData& map : {TestMap(1, 1, 1, 4, 50, 9), TestMap(3, 2, 4, 4, 50, 0, BumpyHeight), gap})
        failed |= WriteFileBytes(dir + "/map/seed" + std::to_string(n++) + ".raw", EncodeMapFile(map), error);
    if (failed)
        fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
    return failed ? 1 : 0;
}
