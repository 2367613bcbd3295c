#pragma once

#include <cstdint>
#include <vector>

class CGame;

// Glyph geometry of the 16x16 glyph sheet: glyph g is drawn for character
// code g + 32, as a 16x16 square, and the pen then moves 10 pixels right.
constexpr int FONT_GLYPHS = 256;
constexpr int FONT_CELL_PIXELS = 16;
constexpr int FONT_ADVANCE = 10;
constexpr int FONT_FIRST_CODE = 32;

// Texture coordinates of glyph g's cell: s from s0 to s1, t from tTop
// (top edge) down to tBottom.
struct GlyphCell {
    float s0, s1, tTop, tBottom;
};
GlyphCell GlyphCellOf(int glyph);

// One line of text for PrintRows: printed from the window's left edge with
// its top edge at y, in grey (1 = white).
struct TextRow {
    const char* text;
    int y;
    float grey;
};

// Bitmap font: one texture and 256 display lists, one per glyph.
class CFont {
public:
    CGame* owner = nullptr;
    uint32_t listBase = 0;  // 0 until Build has made the lists
    uint32_t texture = 0;

    ~CFont();

    // Loads the sheet and compiles the glyph lists. True on failure.
    bool Build(const char* path);

    // Prints one line with its top-left corner at (x, y) in window pixels
    // (origin top left). Leaves blending and depth testing enabled, the
    // colour (r, g, b), the font texture bound and GL_MODELVIEW current.
    bool Print(const char* text, int x, int y, float r, float g, float b);

    // Prints many lines in one draw, each as Print would print it from the
    // left edge in its grey, the same pixels with far fewer calls. Leaves
    // the state Print leaves, with the last line's colour.
    void PrintRows(const TextRow* rows, int count);

private:
    struct GlyphVertex {
        float s, t;
        float r, g, b;
        float x, y;
    };
    std::vector<GlyphVertex> rowVertices;  // kept between frames
};
