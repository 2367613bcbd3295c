#include "gfx/Texture.h"

#include "gfx/Bitmap.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cstdio>

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

Vec3 MeanColour(const SDL_Surface& image, float from, float to)
{
    const int first = int(from * float(image.h)), end = std::max(first + 1, int(to * float(image.h)));
    double sum[3] = {};
    long count = 0;
    for (int y = std::max(0, first); y < std::min(end, image.h); ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(image.pixels) + size_t(y) * image.pitch;
        for (int x = 0; x < image.w; ++x, ++count)
            for (int c = 0; c < 3; ++c)
                sum[c] += row[3 * x + c];
    }
    if (count == 0)
        return Vec3();
    const double scale = 1.0 / (255.0 * double(count));
    return Vec3(float(sum[0] * scale), float(sum[1] * scale), float(sum[2] * scale));
}

void MakeTexture(const void* rgb, int width, int height, TextureStyle style, uint32_t& texture)
{
    if (texture == 0)
        glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (style == TextureStyle::Clamped || style == TextureStyle::Blocky) {
        // Stretched, meeting at a cube's edges or laid once over the map, an
        // image must not pick up texels from its opposite edge.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    if (style == TextureStyle::Blocky) {
        // Blocky when near, as the tiles it shows are.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    if (style == TextureStyle::Linear || style == TextureStyle::Clamped) {
        // One level only: filters that need no mipmaps.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    } else {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    }
}

bool LoadTexture(const char* path, TextureStyle style, uint32_t& texture,
                 const std::function<void(const SDL_Surface&)>& inspect)
{
    SDL_Surface* image = LoadBitmap(path);
    if (!image) {
        fprintf(stderr, "Unable to load %s: %s\n", path, SDL_GetError());
        return true;
    }
    if (inspect)
        inspect(*image);
    MakeTexture(image->pixels, image->w, image->h, style, texture);
    SDL_FreeSurface(image);
    return false;
}
