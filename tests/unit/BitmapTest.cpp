// Guards the BMP loader: rows not flipped or red and blue not swapped for some height or width, padding spilled into, a
// hostile header let through to SDL, a wrong failure line.
#include "gfx/Bitmap.h"
#include "gfx/LittleEndian.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Pixel (x, y) of a test picture, y from the top: distinct in every channel.
Image Pattern(int w, int h)
{
    Image image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.Set(x, y, uint8_t(10 + 20 * x + y), uint8_t(100 + x + 7 * y), uint8_t(200 - 3 * x - 11 * y));
    return image;
}

// Loads the bytes as a file and expects the picture in OpenGL's layout:
// picture row y (from the top) at row h-1-y, as RGB, rows 4-byte aligned.
void ExpectLoadsAs(const std::vector<uint8_t>& bytes, const Image& want)
{
    CTempDir dir;
    dir.Write("Data/p.bmp", bytes);
    SDL_Surface* s = LoadBitmap("Data/p.bmp");
    ASSERT_NE(s, nullptr) << SDL_GetError();
    ASSERT_TRUE(s->w == want.width && s->h == want.height && s->pitch % 4 == 0)
        << s->w << "x" << s->h << ", pitch " << s->pitch;
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            ASSERT_EQ(0, memcmp(static_cast<uint8_t*>(s->pixels) + size_t(want.height - 1 - y) * s->pitch + 3 * x,
                                want.At(x, y), 3))
                << "pixel " << x << "," << y << " of " << want.width << "x" << want.height;
    SDL_FreeSurface(s);
}

// The same picture behind the 12-byte core header (16-bit sizes).
std::vector<uint8_t> CoreHeaderBmp(const Image& image)
{
    std::vector<uint8_t> full = EncodeBmp(image), out = {'B', 'M'};
    // File size, reserved, pixel offset, header size; width, height, planes, bits per pixel.
    for (auto [value, bytes] : {std::pair{uint32_t(full.size() - 28), 4},
                                {0u, 4},
                                {26u, 4},
                                {12u, 4},
                                {uint32_t(image.width), 2},
                                {uint32_t(image.height), 2},
                                {1u, 2},
                                {24u, 2}})
        AppendLE(out, value, bytes);
    out.insert(out.end(), full.begin() + 54, full.end());
    return out;
}

}  // namespace

TEST(LoadBitmap, EveryShapeArrivesBottomRowFirstInRgb)
{
    for (auto [w, h] : {std::pair{4, 1}, {4, 3}, {4, 4}, {1, 5}, {3, 2}, {5, 3}})
        ExpectLoadsAs(EncodeBmp(Pattern(w, h)), Pattern(w, h));

    // Top-down rows (a negative height) give the same pixels.
    std::vector<uint8_t> bottomUp = EncodeBmp(Pattern(5, 3)), topDown = WithLE(bottomUp, 22, uint32_t(-3));
    for (int r = 0; r < 3; ++r)
        memcpy(&topDown[54 + r * 16], &bottomUp[54 + (2 - r) * 16], 16);
    ExpectLoadsAs(topDown, Pattern(5, 3));
    // The 12-byte core header that older tools write is read too.
    ExpectLoadsAs(CoreHeaderBmp(Pattern(3, 2)), Pattern(3, 2));
}

TEST(ConvertBmpRows, MovesPaddingWithItsRowAndNeverWritesIt)
{
    for (int h : {1, 2, 3, 4}) {
        const int w = 3, pitch = 12;  // 9 pixel bytes, 3 padding bytes
        std::vector<uint8_t> rows(size_t(pitch) * h);
        for (int r = 0; r < h; ++r)
            for (int i = 0; i < pitch; ++i)
                rows[r * pitch + i] = uint8_t(i < 9 ? r * 16 + i : 0xE0 + r);  // padding marks its row
        std::vector<uint8_t> buffer(pitch);
        ConvertBmpRows(rows.data(), w, h, pitch, buffer.data());
        for (int r = 0; r < h; ++r) {
            int from = h - 1 - r;
            for (int i = 0; i < 9; ++i)
                EXPECT_EQ(rows[r * pitch + i], from * 16 + (i / 3) * 3 + 2 - i % 3) << "h " << h << " row " << r;
            for (int i = 9; i < pitch; ++i)
                EXPECT_EQ(rows[r * pitch + i], 0xE0 + from) << "padding of row " << r << ", height " << h;
        }
    }
}

TEST(LoadBitmap, RefusesUntrustworthyFilesWithOneLineAndAReason)
{
    const std::vector<uint8_t> good = EncodeBmp(SolidImage(2, 2, 1, 2, 3));
    const struct {
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {WithLE(good, 28, 8),
         "expected a 24-bit uncompressed BMP, found 8 bits per pixel \xE2\x80\x94 convert it, e.g. with ImageMagick"},
        {WithLE(good, 28, 32), "found 32 bits per pixel"},
        {WithLE(good, 30, 1), "found compression 1"},
        {WithLE(good, 18, 0), "BMP size 0x2 is outside 1 to 8192"},
        {WithLE(good, 18, uint32_t(-2)), "BMP size -2x2 is outside"},
        {WithLE(good, 22, 0x80000000u), "BMP size 2x-2147483648 is outside"},
        {WithLE(good, 18, 8193), "is outside 1 to 8192"},
        {WithLE(WithLE(good, 18, 8192), 22, 8192), "pixel data runs past the end"},
        {std::vector<uint8_t>(good.begin(), good.end() - 1), "pixel data runs past the end"},
        {WithLE(good, 10, 0xFFFFFFF0u), "pixel data runs past the end"},
        {WithLE(good, 14, 16), "unsupported BMP info header of 16 bytes"},
        {WithLE(good, 14, 0xFFFFFFF0u), "BMP info header of 4294967280 bytes runs past the end of the file"},
        {WithLE(good, 10, 0), "BMP pixel data offset 0 points inside the headers"},  // the headers read as pixels
        {WithLE(good, 10, 53), "BMP pixel data offset 53 points inside"},
        {std::vector<uint8_t>(good.size(), 'x'), "no BM signature"},
        {std::vector<uint8_t>(good.begin(), good.begin() + 20), "too short"},
        {std::vector<uint8_t>(good.begin(), good.begin() + 40), "too short"},  // 40-byte header cut
    };
    CTempDir dir;
    for (const auto& c : cases) {
        dir.Write("Data/bad.bmp", c.bytes);
        SDL_Surface* s = nullptr;
        std::string err = CaptureStderrOf([&] { s = LoadBitmap("Data/bad.bmp"); });
        EXPECT_EQ(s, nullptr) << c.reason;
        EXPECT_TRUE(err.rfind("Unable to load Data/bad.bmp: ", 0) == 0 && err.find(c.reason) != std::string::npos &&
                    std::count(err.begin(), err.end(), '\n') == 1)
            << err;
        EXPECT_NE(std::string(SDL_GetError()).find(c.reason), std::string::npos) << c.reason;
    }
    std::string err = CaptureStderrOf([&] { EXPECT_EQ(LoadBitmap("Data/none.bmp"), nullptr); });
    EXPECT_EQ(err, "Unable to load Data/none.bmp: Couldn't open Data/none.bmp\n");
}
