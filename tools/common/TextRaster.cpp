#include "tools/common/TextRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

CTextRaster::~CTextRaster()
{
    if (face)
        FT_Done_Face(face);
    if (library)
        FT_Done_FreeType(library);
}

bool CTextRaster::Open(const std::string& fontPath, int pixelSize, std::string& error)
{
    if (!library && FT_Init_FreeType(&library)) {
        library = nullptr;
        error = "cannot start FreeType";
        return true;
    }
    if (face) {
        FT_Done_Face(face);
        face = nullptr;
    }
    if (FT_New_Face(library, fontPath.c_str(), 0, &face)) {
        face = nullptr;
        error = "cannot open font " + fontPath;
        return true;
    }
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize));
    return false;
}

int CTextRaster::Draw(Coverage& into, int x, int baseline, const std::string& text) const
{
    if (!face)
        return x;
    int pen = x;
    for (unsigned char ch : text) {
        if (FT_Load_Char(face, ch, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT))
            continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            int py = baseline - slot->bitmap_top + int(row);
            for (unsigned col = 0; col < bitmap.width; ++col) {
                int px = pen + slot->bitmap_left + int(col);
                if (px < 0 || py < 0 || px >= into.width || py >= into.height)
                    continue;
                float v = float(bitmap.buffer[int(row) * bitmap.pitch + int(col)]) / 255.0f;
                float& a = into.a[size_t(py) * into.width + px];
                a = std::min(1.0f, a + v);
            }
        }
        pen += int(slot->advance.x >> 6);
    }
    return pen;
}

int CTextRaster::Measure(const std::string& text) const
{
    if (!face)
        return 0;
    int width = 0;
    for (unsigned char ch : text)
        if (!FT_Load_Char(face, ch, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT))
            width += int(face->glyph->advance.x >> 6);
    return width;
}
