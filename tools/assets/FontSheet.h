#pragma once

#include "tools/common/Image.h"

#include <string>

// Renders the 16x16-cell glyph sheet (glyph g = character g + 32) from a
// TrueType font, white on black. Every glyph's ink stays inside the left
// 10 columns of its cell, where the next glyph's square does not reach.
// True on failure (FreeType or the font cannot be opened), with `error`.
bool RenderFontSheet(const std::string& fontPath, Image& sheet, std::string& error);
