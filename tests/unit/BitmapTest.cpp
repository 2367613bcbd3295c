#include "gfx/Bitmap.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Pixel (x, y) of a test picture, y from the top: distinct in every channel.
void PatternColour(int x, int y, uint8_t rgb[3])
{
    rgb[0] = uint8_t(10 + 20 * x + y);
    rgb[1] = uint8_t(100 + x + 7 * y);
    rgb[2] = uint8_t(200 - 3 * x - 11 * y);
}

Image Pattern(int w, int h)
{
    Image image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            PatternColour(x, y, image.At(x, y));
    return image;
}

// The loaded surface holds picture row y (from the top) at row h-1-y, as RGB.
void ExpectOpenGlLayout(SDL_Surface* s, int w, int h)
{
    ASSERT_NE(s, nullptr) << SDL_GetError();
    ASSERT_EQ(s->w, w);
    ASSERT_EQ(s->h, h);
    const uint8_t* pixels = static_cast<const uint8_t*>(s->pixels);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t want[3];
            PatternColour(x, y, want);
            const uint8_t* p = pixels + size_t(h - 1 - y) * s->pitch + 3 * x;
            ASSERT_EQ(0, memcmp(p, want, 3)) << "pixel " << x << "," << y << " of " << w << "x" << h;
        }
}

std::vector<uint8_t> WithU32(std::vector<uint8_t> bytes, size_t offset, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = uint8_t(v >> (8 * i));
    return bytes;
}

} // namespace

TEST(LoadBitmap, FlipsRowsAndSwapsRedAndBlueForEveryShape)
{
    CTempDir dir;
    const int shapes[][2] = {{4, 1}, {4, 3}, {4, 4}, {1, 5}, {3, 2}, {5, 3}};
    for (const auto& shape : shapes) {
        dir.WriteBmp("Data/p.bmp", Pattern(shape[0], shape[1]));
        SDL_Surface* s = LoadBitmap("Data/p.bmp");
        ExpectOpenGlLayout(s, shape[0], shape[1]);
        if (s) {
            EXPECT_GE(s->pitch, 3 * s->w);
            EXPECT_EQ(s->pitch % 4, 0) << "rows must match GL's unpack alignment of 4";
            SDL_FreeSurface(s);
        }
    }
}

TEST(LoadBitmap, TopLeftBlueReadsAsBlueAtTheLastRow)
{
    CTempDir dir;
    Image image = SolidImage(3, 3, 0, 0, 0);
    image.Set(0, 0, 0, 0, 255);
    dir.WriteBmp("Data/b.bmp", image);
    SDL_Surface* s = LoadBitmap("Data/b.bmp");
    ASSERT_NE(s, nullptr);
    const uint8_t* p = static_cast<const uint8_t*>(s->pixels) + (s->h - 1) * s->pitch;
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 255);
    SDL_FreeSurface(s);
}

TEST(LoadBitmap, TopDownFileGivesTheSamePixels)
{
    CTempDir dir;
    const int w = 5, h = 3;
    std::vector<uint8_t> bottomUp = EncodeBmp(Pattern(w, h));
    // Same picture stored top row first, flagged by a negative height.
    std::vector<uint8_t> topDown = WithU32(bottomUp, 22, uint32_t(-h));
    const size_t rowBytes = 16;
    for (int r = 0; r < h; ++r)
        memcpy(&topDown[54 + r * rowBytes], &bottomUp[54 + (h - 1 - r) * rowBytes], rowBytes);
    dir.Write("Data/t.bmp", topDown);
    SDL_Surface* s = LoadBitmap("Data/t.bmp");
    ExpectOpenGlLayout(s, w, h);
    if (s)
        SDL_FreeSurface(s);
}

TEST(ConvertBmpRows, MovesPaddingWithItsRowAndNeverWritesIt)
{
    for (int h : {1, 2, 3, 4}) {
        const int w = 3, pitch = 12;  // 9 pixel bytes, 3 padding bytes
        std::vector<uint8_t> rows(size_t(pitch) * h);
        for (int r = 0; r < h; ++r) {
            for (int i = 0; i < 9; ++i)
                rows[r * pitch + i] = uint8_t(r * 16 + i);
            for (int i = 9; i < pitch; ++i)
                rows[r * pitch + i] = uint8_t(0xE0 + r);  // marks the row's padding
        }
        std::vector<uint8_t> buffer(pitch);
        ConvertBmpRows(rows.data(), w, h, pitch, buffer.data());
        for (int r = 0; r < h; ++r) {
            int from = h - 1 - r;
            for (int px = 0; px < w; ++px) {
                EXPECT_EQ(rows[r * pitch + 3 * px], from * 16 + 3 * px + 2) << "h " << h << " row " << r;
                EXPECT_EQ(rows[r * pitch + 3 * px + 1], from * 16 + 3 * px + 1);
                EXPECT_EQ(rows[r * pitch + 3 * px + 2], from * 16 + 3 * px);
            }
            for (int i = 9; i < pitch; ++i)
                EXPECT_EQ(rows[r * pitch + i], 0xE0 + from) << "padding of row " << r << ", height " << h;
        }
    }
}

TEST(LoadBitmap, RefusesUntrustworthyFilesWithAReason)
{
    const std::vector<uint8_t> good = EncodeBmp(SolidImage(2, 2, 1, 2, 3));
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"8-bit", WithU32(good, 28, 8),  // bits, and compression still 0
         "expected a 24-bit uncompressed BMP, found 8 bits per pixel \xE2\x80\x94 convert it, e.g. with ImageMagick"},
        {"32-bit", WithU32(good, 28, 32), "found 32 bits per pixel"},
        {"compressed", WithU32(good, 30, 1), "found compression 1"},
        {"zero width", WithU32(good, 18, 0), "BMP size 0x2 is outside 1 to 8192"},
        {"negative width", WithU32(good, 18, uint32_t(-2)), "BMP size -2x2 is outside"},
        {"height -2^31", WithU32(good, 22, 0x80000000u), "BMP size 2x-2147483648 is outside"},
        {"huge claim, tiny file", WithU32(WithU32(good, 18, 8192), 22, 8192), "pixel data runs past the end"},
        {"too wide", WithU32(good, 18, 8193), "is outside 1 to 8192"},
        {"pixels past the end", std::vector<uint8_t>(good.begin(), good.end() - 1), "pixel data runs past the end"},
        {"data offset past the end", WithU32(good, 10, 0xFFFFFFF0u), "pixel data runs past the end"},
        {"short info header", WithU32(good, 14, 12), "unsupported BMP info header of 12 bytes"},
        {"not a BMP", std::vector<uint8_t>(good.size(), 'x'), "no BM signature"},
        {"shorter than a header", std::vector<uint8_t>(good.begin(), good.begin() + 20), "too short"},
    };
    CTempDir dir;
    for (const auto& c : cases) {
        dir.Write("Data/bad.bmp", c.bytes);
        SDL_Surface* s = nullptr;
        std::string err = CaptureStderrOf([&] { s = LoadBitmap("Data/bad.bmp"); });
        EXPECT_EQ(s, nullptr) << c.name;
        EXPECT_NE(err.find("Unable to load Data/bad.bmp: "), std::string::npos) << c.name << ": " << err;
        EXPECT_NE(err.find(c.reason), std::string::npos) << c.name << ": " << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << c.name << ": one line only";
        EXPECT_NE(std::string(SDL_GetError()).find(c.reason), std::string::npos) << c.name;
        if (s)
            SDL_FreeSurface(s);
    }
}

TEST(LoadBitmap, MissingFileGivesOneLineAndNull)
{
    CTempDir dir;
    SDL_Surface* s = nullptr;
    std::string err = CaptureStderrOf([&] { s = LoadBitmap("Data/none.bmp"); });
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(err, "Unable to load Data/none.bmp: Couldn't open Data/none.bmp\n");
}
