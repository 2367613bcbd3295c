#include "gfx/Bitmap.h"

#include "gfx/LittleEndian.h"
#include "gfx/RegularFile.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace {

SDL_Surface* Refuse(const char* path, SDL_Surface* surface)
{
    if (surface)
        SDL_FreeSurface(surface);
    fprintf(stderr, "Unable to load %s: %s\n", path, SDL_GetError());
    return nullptr;
}

}  // namespace

std::string CheckBmpHeader(const uint8_t* h, size_t headerSize, uint64_t fileSize)
{
    if (headerSize < BMP_CORE_HEADER_BYTES)
        return "file too short for a BMP header";
    if (h[0] != 'B' || h[1] != 'M')
        return "not a BMP file (no BM signature)";
    uint32_t pixelOffset = ReadU32(h + 10);
    uint32_t infoSize = ReadU32(h + 14);
    int64_t width, height;
    uint16_t bits;
    uint32_t compression = 0;
    if (infoSize == 12) {
        // The old core header: unsigned 16-bit sizes, rows always bottom-up,
        // never compressed.
        width = ReadU16(h + 18);
        height = ReadU16(h + 20);
        bits = ReadU16(h + 24);
    } else if (infoSize >= 40) {
        if (headerSize < BMP_HEADER_BYTES)
            return "file too short for a BMP header";
        width = int32_t(ReadU32(h + 18));
        height = int32_t(ReadU32(h + 22));
        bits = ReadU16(h + 28);
        compression = ReadU32(h + 30);
    } else {
        return "unsupported BMP info header of " + std::to_string(infoSize) + " bytes";
    }
    // The headers must fit in the file, and the pixels must follow them.
    const uint64_t headersEnd = 14 + uint64_t(infoSize);
    if (headersEnd > fileSize)
        return "BMP info header of " + std::to_string(infoSize) + " bytes runs past the end of the file";
    if (pixelOffset < headersEnd)
        return "BMP pixel data offset " + std::to_string(pixelOffset) + " points inside the headers";
    if (bits != 24)
        return "expected a 24-bit uncompressed BMP, found " + std::to_string(bits) +
               " bits per pixel \xE2\x80\x94 convert it, e.g. with ImageMagick";
    if (compression != 0)
        return "expected a 24-bit uncompressed BMP, found compression " + std::to_string(compression);
    std::string size = "BMP size " + std::to_string(width) + "x" + std::to_string(height);
    if (height < 0)
        height = -height;  // top-down rows; int64 so that -2^31 cannot overflow
    if (width < 1 || width > BMP_MAX_SIDE || height < 1 || height > BMP_MAX_SIDE)
        return size + " is outside 1 to 8192";
    uint64_t rowBytes = (uint64_t(width) * 3 + 3) & ~uint64_t(3);
    if (uint64_t(pixelOffset) + rowBytes * uint64_t(height) > fileSize)
        return "BMP pixel data runs past the end of the file";
    return std::string();
}

void ConvertBmpRows(uint8_t* pixels, int w, int h, int pitch, uint8_t* rowBuffer)
{
    auto swapRedBlue = [w](uint8_t* row) {
        for (int x = 0; x < w; ++x)
            std::swap(row[3 * x], row[3 * x + 2]);
    };
    for (int i = 0; i < h / 2; ++i) {
        uint8_t* top = pixels + size_t(i) * pitch;
        uint8_t* bottom = pixels + size_t(h - 1 - i) * pitch;
        swapRedBlue(top);
        swapRedBlue(bottom);
        memcpy(rowBuffer, top, pitch);
        memcpy(top, bottom, pitch);
        memcpy(bottom, rowBuffer, pitch);
    }
    if (h % 2 == 1)
        swapRedBlue(pixels + size_t(h / 2) * pitch);
}

SDL_Surface* LoadBitmap(const char* path)
{
    std::string why;
    FILE* file = OpenRegularFile(path, why);
    if (!file) {
        if (why.empty())
            SDL_SetError("Couldn't open %s", path);  // SDL's own words for a file it cannot open
        else
            SDL_SetError("%s", why.c_str());
        return Refuse(path, nullptr);
    }
    return LoadBitmapFrom(SDL_RWFromFP(file, 1), path);
}

SDL_Surface* LoadBitmapFrom(SDL_RWops* stream, const char* path)
{
    if (!stream)
        return Refuse(path, nullptr);

    // SDL's own decoder trusts the header (odd depths, huge claimed sizes),
    // so the header is checked here before SDL reads a byte of it.
    uint8_t header[BMP_HEADER_BYTES] = {};
    int got = SDL_RWread(stream, header, 1, sizeof header);
    int end = SDL_RWseek(stream, 0, RW_SEEK_END);
    std::string why = CheckBmpHeader(header, got > 0 ? size_t(got) : 0, end > 0 ? uint64_t(end) : 0);
    if (why.empty() && SDL_RWseek(stream, 0, RW_SEEK_SET) != 0)
        why = "cannot rewind the file";
    if (!why.empty()) {
        SDL_RWclose(stream);
        SDL_SetError("%s", why.c_str());
        return Refuse(path, nullptr);
    }

    SDL_Surface* image = SDL_LoadBMP_RW(stream, 1);
    if (!image)
        return Refuse(path, nullptr);
    if (image->format->BitsPerPixel != 24 || image->format->BytesPerPixel != 3 || image->pitch < 3 * image->w) {
        SDL_SetError("decoded BMP is not 24-bit (%d bits per pixel)", int(image->format->BitsPerPixel));
        return Refuse(path, image);
    }

    std::unique_ptr<uint8_t[]> rowBuffer(new (std::nothrow) uint8_t[image->pitch]);
    if (!rowBuffer) {
        fprintf(stderr, "Out of memory\n");
        SDL_FreeSurface(image);
        return nullptr;
    }
    ConvertBmpRows(static_cast<uint8_t*>(image->pixels), image->w, image->h, image->pitch, rowBuffer.get());
    return image;
}
