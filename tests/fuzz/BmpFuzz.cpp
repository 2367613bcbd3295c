// Guards the image path against any bytes: header checks, SDL's decoder and the row rearrangement.
#include "gfx/Bitmap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SDL_RWops* stream = SDL_RWFromConstMem(data, int(size));
    SDL_Surface* image = LoadBitmapFrom(stream, "fuzz.bmp");
    if (image) {
        // Touch every byte the callers upload.
        const uint8_t* pixels = static_cast<const uint8_t*>(image->pixels);
        volatile uint8_t sum = 0;
        for (int y = 0; y < image->h; ++y)
            for (int x = 0; x < image->w * 3; ++x)
                sum = uint8_t(sum + pixels[size_t(y) * image->pitch + x]);
        SDL_FreeSurface(image);
    }
    return 0;
}
