#include "gfx/Texture.h"

#include "gfx/Bitmap.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstdio>

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

bool LoadTexture(const char* path, TextureStyle style, uint32_t& texture)
{
    SDL_Surface* image = LoadBitmap(path);
    if (!image) {
        fprintf(stderr, "Unable to load %s: %s\n", path, SDL_GetError());
        return true;
    }
    if (texture == 0)
        glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (style == TextureStyle::Clamped) {
        // Stretched or meeting at a cube's edges, an image must not pick up
        // texels from its opposite edge.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    if (style != TextureStyle::Mipmapped) {
        // One level only: filters that need no mipmaps.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image->w, image->h, 0, GL_RGB, GL_UNSIGNED_BYTE, image->pixels);
    if (style == TextureStyle::Mipmapped)
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image->w, image->h, GL_RGB, GL_UNSIGNED_BYTE, image->pixels);
    SDL_FreeSurface(image);
    return false;
}
