#pragma once

#include "math/Vec3.h"

#include <SDL/SDL.h>

#include <cstdint>
#include <functional>

// How a loaded image is sampled.
enum class TextureStyle {
    Linear,     // one level, linear filters (glyph sheet)
    Clamped,    // one level, linear filters, edges clamped (panels, sky faces)
    Mipmapped,  // the whole mipmap chain, and the initial repeat wrapping (terrain)
    Blocky,     // the whole mipmap chain, nearest texel when magnified, edges clamped (the terrain's overview)
};

// Fills `texture` (bound; generated first when it is 0) with an image of
// 24-bit pixels, rows bottom-up, red first.
void MakeTexture(const void* rgb, int width, int height, TextureStyle style, uint32_t& texture);

// Loads a 24-bit BMP into a texture: `texture` is bound and filled, or,
// when it is 0, a name is generated once the image has loaded. On failure
// writes the caller's "Unable to load <path>: <reason>" line after the
// loader's own and returns true, with no texture created.
// `inspect`, when given, sees the loaded image (rows bottom-up, red first)
// before it is released.
bool LoadTexture(const char* path, TextureStyle style, uint32_t& texture,
                 const std::function<void(const SDL_Surface&)>& inspect = nullptr);

// The mean colour (0..1) of an image's rows between the fractions `from`
// and `to` of its height, counted from its bottom edge.
Vec3 MeanColour(const SDL_Surface& image, float from, float to);
