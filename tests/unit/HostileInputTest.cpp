#include "gfx/Bitmap.h"
#include "tests/support/TempDir.h"
#include "world/MapFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> CasesIn(const char* folder)
{
    // git keeps no empty folder, so a target without saved cases has none.
    std::vector<fs::path> files;
    std::error_code missing;
    for (const auto& entry :
         fs::directory_iterator(fs::path(TERRAVELL_SOURCE_DIR) / "tests/fuzz/regressions" / folder, missing))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    return files;
}

MapFileData Sized(uint32_t width, uint32_t height, uint16_t subdivisions)
{
    MapFileData map;
    map.header = MapHeader();
    map.header.width = width;
    map.header.height = height;
    map.header.subdivisions = subdivisions;
    map.header.cellSize = 1;
    map.header.heightScale = 1;
    map.textureNumbers = {0};
    return map;
}

} // namespace

// Every input a fuzzer once broke the code with stays refused, cleanly.
TEST(HostileInput, SavedFuzzCasesAreRefused)
{
    for (const fs::path& file : CasesIn("map")) {
        std::vector<uint8_t> bytes = ReadAll(file);
        EXPECT_FALSE(ValidateMapFile(bytes.data(), bytes.size(), nullptr).empty()) << file;
    }
    for (const fs::path& file : CasesIn("bmp")) {
        std::vector<uint8_t> bytes = ReadAll(file);
        SDL_Surface* image = nullptr;
        CaptureStderrOf([&] { image = LoadBitmapFrom(SDL_RWFromConstMem(bytes.data(), int(bytes.size())), "x"); });
        if (image)
            SDL_FreeSurface(image);
    }
}

// Sizes whose products wrap in 32 or 64 bits must be seen as too large,
// not as the small number they wrap to.
TEST(HostileInput, SizeProductsThatWrapAreTooLarge)
{
    const struct {
        uint32_t width, height;
        uint16_t subdivisions;
        const char* vertices;
    } cases[] = {
        {2048, 2048, 64, "131073 x 131073"},         // the product wraps 32 bits to a small count
        {65537, 65537, 65535, "4294967296 x 4294967296"},  // each side wraps 32 bits to 0
        {0xFFFFFFFFu, 0xFFFFFFFFu, 65535, "281470681677826 x 281470681677826"},  // 64 bits wrap too
        {4096, 4096, 1, "4097 x 4097"},              // just over 2^24 vertices
    };
    for (const auto& c : cases) {
        MapFileData map = Sized(c.width, c.height, c.subdivisions);
        std::vector<uint8_t> bytes = EncodeMapFile(map);
        bytes.resize(bytes.size() + 64, 0);
        std::vector<std::string> faults = ValidateMapFile(bytes.data(), bytes.size(), nullptr);
        ASSERT_FALSE(faults.empty()) << c.vertices;
        EXPECT_EQ(faults.front(), std::string("map is too large: ") + c.vertices + " vertices (at most 16777216 in all)");
    }
    // The largest accepted grid: 4096 x 4096 vertices is exactly 2^24.
    MapFileData edge = Sized(4095, 4095, 1);
    edge.tileMap.assign(4095u * 4095u, 0);
    edge.heights.assign(4096u * 4096u, 1);
    std::vector<uint8_t> bytes = EncodeMapFile(edge);
    EXPECT_TRUE(ValidateMapFile(bytes.data(), bytes.size(), nullptr).empty());
}
