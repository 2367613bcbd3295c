#include "gfx/Font.h"

#include "gfx/ScreenSpace.h"
#include "gfx/Texture.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>

GlyphCell GlyphCellOf(int glyph)
{
    const float cell = 1.0f / 16.0f;
    float cx = float(glyph % 16) / 16.0f;
    float cy = float(glyph / 16) / 16.0f;
    return {cx, cx + cell, 1.0f - cy, 1.0f - cy - cell};
}

CFont::~CFont()
{
    if (listBase != 0 && SDL_WasInit(SDL_INIT_VIDEO))  // no context after SDL_Quit
        glDeleteLists(listBase, FONT_GLYPHS);
}

bool CFont::Build(const char* path)
{
    // Linear: the glyphs stay smooth where a 16-pixel cell meets a sheet of
    // another size.
    if (LoadTexture(path, TextureStyle::Linear, texture))
        return true;

    listBase = glGenLists(FONT_GLYPHS);
    glBindTexture(GL_TEXTURE_2D, texture);
    for (int g = 0; g < FONT_GLYPHS; ++g) {
        GlyphCell c = GlyphCellOf(g);
        glNewList(listBase + g, GL_COMPILE);
        glBegin(GL_QUADS);  // counter-clockwise on screen
        glTexCoord2f(c.s0, c.tBottom);
        glVertex2i(0, FONT_CELL_PIXELS);
        glTexCoord2f(c.s1, c.tBottom);
        glVertex2i(FONT_CELL_PIXELS, FONT_CELL_PIXELS);
        glTexCoord2f(c.s1, c.tTop);
        glVertex2i(FONT_CELL_PIXELS, 0);
        glTexCoord2f(c.s0, c.tTop);
        glVertex2i(0, 0);
        glEnd();
        glTranslated(FONT_ADVANCE, 0, 0);
        glEndList();
    }
    return false;
}

bool CFont::Print(const char* text, int x, int y, float r, float g, float b)
{
    glColor3f(r, g, b);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    PushScreenSpace(x, y);

    // Signed bytes: codes 32..127 select glyphs 0..95; other bytes name no
    // list and glCallLists skips them.
    glListBase(listBase - FONT_FIRST_CODE);
    glCallLists(GLsizei(strlen(text)), GL_BYTE, text);

    PopScreenSpace();
    glEnable(GL_DEPTH_TEST);
    return false;
}

void CFont::PrintRows(const TextRow* rows, int count)
{
    // The quads the glyph lists draw, placed where the lists' moves of the
    // pen put them: whole pixels, so they land on the same pixels.
    rowVertices.clear();
    for (int i = 0; i < count; ++i) {
        const float grey = rows[i].grey;
        int pen = 0;
        for (const char* c = rows[i].text; *c; ++c) {
            // As glCallLists reads signed bytes: codes below 32 and from 128
            // name no list, and a missing list does not move the pen.
            const int glyph = int(static_cast<signed char>(*c)) - FONT_FIRST_CODE;
            if (glyph < 0)
                continue;
            const GlyphCell cell = GlyphCellOf(glyph);
            const float x0 = float(pen), x1 = float(pen + FONT_CELL_PIXELS);
            const float y0 = float(rows[i].y), y1 = float(rows[i].y + FONT_CELL_PIXELS);
            rowVertices.push_back({cell.s0, cell.tBottom, grey, grey, grey, x0, y1});
            rowVertices.push_back({cell.s1, cell.tBottom, grey, grey, grey, x1, y1});
            rowVertices.push_back({cell.s1, cell.tTop, grey, grey, grey, x1, y0});
            rowVertices.push_back({cell.s0, cell.tTop, grey, grey, grey, x0, y0});
            pen += FONT_ADVANCE;
        }
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    PushScreenSpace(0, 0);
    if (!rowVertices.empty()) {
        const GLsizei stride = sizeof(GlyphVertex);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glEnableClientState(GL_VERTEX_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, &rowVertices[0].s);
        glColorPointer(3, GL_FLOAT, stride, &rowVertices[0].r);
        glVertexPointer(2, GL_FLOAT, stride, &rowVertices[0].x);
        glDrawArrays(GL_QUADS, 0, GLsizei(rowVertices.size()));
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    // The colour array leaves the current colour undefined.
    if (count > 0)
        glColor3f(rows[count - 1].grey, rows[count - 1].grey, rows[count - 1].grey);
    PopScreenSpace();
    glEnable(GL_DEPTH_TEST);
}
