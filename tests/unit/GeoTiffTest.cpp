// Guards the GeoTIFF reader: samples north row first for every type, layout and compression; metres; spacing from the
// scale, model type and unit; nodata, NaN and infinities as voids; hostile files refused with one line, stderr quiet.
#include "tests/support/GeoTiffWriter.h"
#include "tests/support/TempDir.h"
#include "tools/common/FileBytes.h"
#include "tools/map/HeightmapReader.h"

#include <geovalues.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Writes the file (rows south first when the pixel scale says so) and
// returns its bytes; the heights are a plane, a + b x + c y at (x, y).
std::vector<uint8_t> PlaneTiff(const GeoTiffShape& shape, const double plane[3],
                               const std::vector<std::array<double, 3>>& voids = {})
{
    std::vector<double> samples(size_t(shape.width) * shape.height);
    const bool southFirst = shape.pixelScale.size() > 1 && shape.pixelScale[1] < 0;
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x)
            samples[size_t(southFirst ? shape.height - 1 - y : y) * shape.width + x] =
                plane[0] + plane[1] * x + plane[2] * y;
    for (const auto& [x, y, value] : voids)  // x, y, height
        samples[size_t(y) * shape.width + size_t(x)] = value;
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(WriteGeoTiff("test.tif", shape, samples));
    EXPECT_FALSE(ReadFileBytes("test.tif", bytes, error)) << error;
    return bytes;
}

// A little-endian TIFF put together by hand, every field a LONG, one strip
// after the directory: for headers libtiff would not write.
std::vector<uint8_t> HandMadeTiff(uint32_t w, uint32_t h, size_t dataBytes, uint32_t bits = 16, uint32_t format = 2,
                                  uint32_t bands = 1)
{
    const uint32_t entries[10][2] = {{256, w},     {257, h}, {258, bits},
                                     {259, 1},     {262, 1}, {273, 134},
                                     {277, bands}, {278, h}, {279, w * h * bits / 8 * bands},
                                     {339, format}};
    std::vector<uint8_t> out =
        WithLE(WithLE(WithLE(std::vector<uint8_t>(134 + dataBytes, 7), 0, 0x002A4949), 4, 8), 8, 10, 2);
    for (int i = 0; i < 10; ++i)  // "II*", the directory at 8, its 10 entries
        out = WithLE(WithLE(WithLE(out, 10 + 12 * i, entries[i][0] | 4 << 16), 14 + 12 * i, 1), 18 + 12 * i,
                     entries[i][1]);
    return WithLE(out, 130, 0);  // no next directory
}

std::string Decode(const std::vector<uint8_t>& bytes, Heightmap& map, std::vector<float>& metres)
{
    std::string error;
    const bool failed = DecodeWhole(bytes.data(), bytes.size(), map, metres, error);
    EXPECT_EQ(failed, !error.empty());
    return error;
}

}  // namespace

TEST(GeoTiff, HeightsLandNorthFirstInMetresWithTheirSpacing)
{
    CTempDir dir;
    const double arcSecond = 1.0 / 3600;
    const struct {
        GeoTiffShape shape;
        double plane[3];
        std::vector<std::array<double, 3>> voids;
        double spacingX, spacingY;  // 1 arc-second at 45.5 degrees north, worked out by hand from the series
        const char *source, *format;
    } cases[] = {
        // clang-format off
        {{20, 18, SAMPLEFORMAT_IEEEFP, 32, COMPRESSION_ADOBE_DEFLATE, 16, ModelTypeGeographic, 0,
          {arcSecond, arcSecond, 0}, {0, 0, 0, 7.0, 45.5 + 9 * arcSecond, 0}, "-9999"},
         {200.5, 4.25, -2.5}, {{5, 5, -9999}, {7, 9, NAN}, {12, 3, INFINITY}}, 21.710565, 30.872643,
         "1 arc-second at latitude 45.50", "GeoTIFF, float32, tiled, deflate"},
        {{20, 18, SAMPLEFORMAT_INT, 16, COMPRESSION_LZW, 0, ModelTypeProjected, Linear_Meter, {30, 30, 0}, {},
          "-32768"},
         {-20, 10, -7}, {{2, 2, -32768}}, 30, 30, "pixel size 30 m, from the file", "GeoTIFF, int16, in strips, LZW"},
        {{20, 18, SAMPLEFORMAT_INT, 32, COMPRESSION_PACKBITS, 0, ModelTypeProjected, Linear_Foot_US_Survey,
          {10, 10, 0}},
         {5, 10000, -3}, {}, 3.048006, 3.048006, "pixel size 3.048 m, from the file",
         "GeoTIFF, int32, in strips, PackBits"},
        {{20, 18, SAMPLEFORMAT_INT, 16, COMPRESSION_NONE, 0, ModelTypeProjected, Linear_Foot, {10, 20, 0}},
         {5, 1, 1}, {}, 3.048, 6.096, "pixel size 3.048 x 6.096 m, from the file",
         "GeoTIFF, int16, in strips, uncompressed"},
        {{20, 18, SAMPLEFORMAT_UINT, 16, COMPRESSION_NONE, 16, ModelTypeProjected, 9005, {2, -2, 0}},
         {9, 1, 2}, {}, 0, 0, "the file's unit 9005 is not one known here",
         "GeoTIFF, uint16, tiled, uncompressed"},  // rows stored south first
        // clang-format on
    };
    for (const auto& c : cases) {
        Heightmap m;
        std::vector<float> metres;
        ASSERT_EQ(Decode(PlaneTiff(c.shape, c.plane, c.voids), m, metres), "") << c.format;
        EXPECT_EQ(m.format, c.format);
        EXPECT_NEAR(m.spacingX, c.spacingX, 1e-5) << c.format;
        EXPECT_NEAR(m.spacingY, c.spacingY, 1e-5) << c.format;
        EXPECT_EQ(m.spacingSource, c.source);
        ASSERT_TRUE(m.elevation && m.width == 20 && m.height == 18 && metres.size() == 20u * 18u);
        EXPECT_EQ(long(std::count_if(metres.begin(), metres.end(), [](float v) { return std::isnan(v); })),
                  long(c.voids.size()));
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x)
                if (!std::isnan(metres[size_t(y) * 20 + x])) {
                    ASSERT_NEAR(metres[size_t(y) * 20 + x], c.plane[0] + c.plane[1] * x + c.plane[2] * y, 1e-3)
                        << c.format << " at " << x << ", " << y;
                }
    }
}

TEST(GeoTiff, HostileFilesAreRefusedWithOneLine)
{
    CTempDir dir;
    const double plane[3] = {10, 1, 1}, flat[3] = {11, 0, 0};
    const std::vector<uint8_t> good =
        PlaneTiff({20, 18, SAMPLEFORMAT_IEEEFP, 32, COMPRESSION_ADOBE_DEFLATE, 16}, plane);
    const std::vector<uint8_t> small = HandMadeTiff(4, 2, 16);
    std::vector<std::pair<std::vector<uint8_t>, std::string>> refused = {
        {HandMadeTiff(4, 2, 48, 16, 1, 3), "GeoTIFF has 3 bands; only one band of heights is read"},
        {HandMadeTiff(4, 2, 8, 8, 1),
         "GeoTIFF samples are uint8; only int16, uint16, int32 and float32 heights are read"},
        {HandMadeTiff(4, 2, 64, 64, 3), "GeoTIFF samples are float64;"},
        {PlaneTiff({4, 3, SAMPLEFORMAT_IEEEFP, 32, COMPRESSION_NONE, 0, 2, 0, {}, {}, "11"}, flat),
         "GeoTIFF holds only nodata"},
        {HandMadeTiff(17000, 1, 16), "image of 17000x1 is too large"},
        {HandMadeTiff(16000, 8000, 16), "GeoTIFF header promises more pixels than the file can hold"},
        {std::vector<uint8_t>(small.begin(), small.end() - 3), "GeoTIFF strip 1 of 1 lies outside the file"},
    };
    const size_t directory = good[4] | good[5] << 8;  // written after the tiles
    for (size_t keep : {size_t(4), size_t(8), size_t(100), directory, directory + 20})
        refused.push_back({std::vector<uint8_t>(good.begin(), good.begin() + long(keep)), "TIFF: "});
    Heightmap m;
    std::vector<float> metres;
    ASSERT_EQ(Decode(small, m, metres), "");
    const std::string noise = CaptureStderrOf([&] {
        for (const auto& [file, want] : refused) {
            std::string error = Decode(file, m, metres);
            EXPECT_EQ(error.rfind(want, 0), 0u) << want << " / got: " << error;
            EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        }
    });
    EXPECT_EQ(noise, "");
}
