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
