#include "tools/assets/FontSheet.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {

constexpr int CELL = 16;
constexpr int INK_COLUMNS = 10;  // the pen advance: the next glyph covers the rest
constexpr int PIXEL_SIZE = 13;   // tallest size whose descenders still fit a cell

void BlitGlyph(const FT_Bitmap& bitmap, int left, int top, int cellX, int cellY, Image& sheet)
{
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned col = 0; col < bitmap.width; ++col) {
            int x = left + int(col);
            int y = top + int(row);
            if (x < 0 || x >= INK_COLUMNS || y < 0 || y >= CELL)
                continue;
            uint8_t v = bitmap.buffer[row * bitmap.pitch + col];
            uint8_t* p = sheet.At(cellX + x, cellY + y);
            uint8_t m = std::max(p[0], v);
            p[0] = p[1] = p[2] = m;
        }
    }
}

}  // namespace

bool RenderFontSheet(const std::string& fontPath, Image& sheet, std::string& error)
{
    FT_Library library;
    if (FT_Init_FreeType(&library)) {
        error = "cannot start FreeType";
        return true;
    }
    FT_Face face;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face)) {
        FT_Done_FreeType(library);
        error = "cannot open font " + fontPath;
        return true;
    }
    FT_Set_Pixel_Sizes(face, 0, PIXEL_SIZE);
    int baseline = int(face->size->metrics.ascender >> 6);

    sheet = Image(CELL * 16, CELL * 16);
    for (int glyph = 0; glyph < 95; ++glyph) {  // codes 32..126
        if (FT_Load_Char(face, FT_ULong(glyph + 32), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT))
            continue;
        const FT_GlyphSlot slot = face->glyph;
        // The 8-pixel advance of the face sits one pixel in from the
        // cell's edge, so the ink is centred in the 10 visible columns.
        int inkWidth = int(slot->bitmap.width);
        int left = std::clamp(slot->bitmap_left + 1, 0, std::max(0, INK_COLUMNS - inkWidth));
        int top = baseline - slot->bitmap_top;
        BlitGlyph(slot->bitmap, left, top, (glyph % 16) * CELL, (glyph / 16) * CELL, sheet);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return false;
}
