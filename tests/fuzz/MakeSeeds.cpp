// Writes the small seed corpora of the fuzz targets: valid files of the shapes the game reads.
#include "tests/support/GeoTiffWriter.h"
#include "tests/support/TestMaps.h"
#include "tools/common/FileBytes.h"
#include "tools/common/Image.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

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
    // Heightmaps as terravell-map reads them: PGM of one and two bytes, grey
    // PNG of 8 and 16 bits, a colour PNG and a BMP.
    n = 0;
    const std::string pgm8 = "P5 3 2 255\n\x01\x02\x03\x04\x05\x06", pgm16 = "P5\n# c\n2 1\n1023\n\x01\x00\x03\xff";
    for (const std::string& pgm : {pgm8, pgm16})
        failed |= WriteFileBytes(dir + "/heightmap/seed" + std::to_string(n++) + ".pgm",
                                 std::vector<uint8_t>(pgm.begin(), pgm.end()), error);
    const uint16_t pixels[12] = {0, 900, 4000, 65535, 20, 7, 300, 1, 2, 3, 4, 5};
    for (uint32_t format : {uint32_t(PNG_FORMAT_GRAY), uint32_t(PNG_FORMAT_LINEAR_Y), uint32_t(PNG_FORMAT_RGB)}) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = 2, image.height = 2, image.format = format;
        std::string path = dir + "/heightmap/seed" + std::to_string(n++) + ".png";
        failed |= !png_image_write_to_file(&image, path.c_str(), 0, pixels, 0, nullptr);
    }
    Image picture(3, 2);
    picture.Set(1, 1, 200, 100, 50);
    failed |= WriteBmp(dir + "/heightmap/seed" + std::to_string(n++) + ".bmp", picture, error);
    // GeoTIFFs: int16 strips; float32 deflated tiles with nodata and a NaN; int16 LZW strips with nodata.
    std::vector<double> heights(20 * 18);
    std::filesystem::create_directories(dir + "/geotiff"), std::filesystem::create_directories(dir + "/srtm");
    for (size_t i = 0; i < heights.size(); ++i)
        heights[i] = double(i % 20) * 3.5 - double(i / 20) + 100;
    const GeoTiffShape stripped{4, 3, SAMPLEFORMAT_INT, 16, COMPRESSION_NONE, 0, 1, 9001, {30, 30, 0}};
    GeoTiffShape tiled{20, 18, SAMPLEFORMAT_IEEEFP, 32, COMPRESSION_ADOBE_DEFLATE, 16, 2, 0};
    tiled.pixelScale = {1.0 / 3600, 1.0 / 3600, 0}, tiled.tiepoint = {0, 0, 0, 7, 45.5, 0}, tiled.nodata = "-9999";
    const GeoTiffShape nodata{4, 3, SAMPLEFORMAT_INT, 16, COMPRESSION_LZW, 0, 2, 0, {}, {}, "-32768"};
    failed |= WriteGeoTiff(dir + "/geotiff/seed0.tif", stripped, heights);
    heights[5] = -9999, heights[30] = NAN;
    failed |= WriteGeoTiff(dir + "/geotiff/seed1.tif", tiled, heights);
    heights[5] = -32768;
    failed |= WriteGeoTiff(dir + "/geotiff/seed2.tif", nodata, heights);
    for (int side : {4, 9}) {  // SRTM squares, big-endian, every seventh height a void (0x8000)
        std::vector<uint8_t> tile(2 * size_t(side) * side);
        for (size_t i = 0; i < tile.size(); i += 2)
            tile[i] = uint8_t(i % 14 == 6 ? 0x80 : i / 8), tile[i + 1] = uint8_t(i % 14 == 6 ? 0 : i * 37);
        failed |= WriteFileBytes(dir + "/srtm/seed" + std::to_string(side) + ".hgt", tile, error);
    }
    // Command lines: a command byte (0 generate, 1 import), then arguments
    // separated by NUL bytes.
    n = 0;
    using namespace std::string_literals;  // the arguments' NUL bytes stay
    for (const std::string& line : {"\0-o\0w\0--tiles\0"
                                    "24x16\0--seed\0"
                                    "5"s,
                                    "\x01heights.png\0-o\0w\0--stretch\0--sun-azimuth=45"s,
                                    "\0--with-assets=/d\0--force\0-o\0w\0--roughness\0"
                                    "0.3"s})
        failed |= WriteFileBytes(dir + "/options/seed" + std::to_string(n++),
                                 std::vector<uint8_t>(line.begin(), line.end()), error);
    if (failed)
        fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
    return failed ? 1 : 0;
}
