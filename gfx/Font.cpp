#include "gfx/Font.h"

#include "gfx/Bitmap.h"

#include <GL/gl.h>
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
    SDL_Surface* sheet = LoadBitmap(path);
    if (!sheet) {
        fprintf(stderr, "Unable to load %s: %s\n", path, SDL_GetError());
        return true;
    }
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // One level only: filters that need no mipmaps, linear so that the
    // glyphs stay smooth where a 16-pixel cell meets a different size.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, sheet->w, sheet->h, 0, GL_RGB, GL_UNSIGNED_BYTE, sheet->pixels);
    SDL_FreeSurface(sheet);

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

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 800, 600, 0, -1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(x, y, 0);

    // Signed bytes: codes 32..127 select glyphs 0..95; other bytes name no
    // list and glCallLists skips them.
    glListBase(listBase - FONT_FIRST_CODE);
    glCallLists(GLsizei(strlen(text)), GL_BYTE, text);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    return false;
}
