#include "tools/map/BmpHeightmap.h"

#include "gfx/Bitmap.h"

#include <cmath>
#include <vector>

bool IsBmp(const uint8_t* data, size_t size) { return size >= 2 && data[0] == 'B' && data[1] == 'M'; }

bool DecodeBmp(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error)
{
    error = CheckBmpHeader(data, size, size);
    if (!error.empty())
        return true;
    SDL_Surface* image = SDL_LoadBMP_RW(SDL_RWFromConstMem(data, int(size)), 1);
    if (!image) {
        error = SDL_GetError();
        return true;
    }
    if (image->format->BytesPerPixel != 3) {
        SDL_FreeSurface(image);
        error = "decoded BMP is not 24-bit";
        return true;
    }
    DescribePicture(out, image->w, image->h, 65535, "24-bit BMP (luminance)");
    std::vector<float> row(sampler ? size_t(image->w) : 0);
    for (int y = 0; sampler && y < image->h; ++y) {
        const uint8_t* p = static_cast<const uint8_t*>(image->pixels) + size_t(y) * image->pitch;
        for (int x = 0; x < image->w; ++x, p += 3) {
            Uint8 r, g, b;
            SDL_GetRGB(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16, image->format, &r, &g, &b);
            row[size_t(x)] = float(std::lround(Luminance(r, g, b) * 257.0));
        }
        sampler->AddRow(y, row.data(), image->w);
    }
    SDL_FreeSurface(image);
    return false;
}
