#include "world/SkyBox.h"

#include "gfx/AssetPath.h"
#include "gfx/Texture.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <cstdio>
#include <string>

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

const SkyFace SKY_FACES[SKY_FACE_COUNT] = {
    {"Bottom", {{0, 0, 1, 1, -1}, {0, 1, -1, 1, -1}, {1, 1, -1, -1, -1}, {1, 0, 1, -1, -1}}},
    {"Top", {{0, 1, 1, 1, 1}, {1, 1, 1, -1, 1}, {1, 0, -1, -1, 1}, {0, 0, -1, 1, 1}}},
    {"Front", {{1, 1, 1, -1, 1}, {1, 0, 1, -1, -1}, {0, 0, -1, -1, -1}, {0, 1, -1, -1, 1}}},
    {"Back", {{0, 1, 1, 1, 1}, {1, 1, -1, 1, 1}, {1, 0, -1, 1, -1}, {0, 0, 1, 1, -1}}},
    {"Right", {{0, 1, -1, 1, 1}, {1, 1, -1, -1, 1}, {1, 0, -1, -1, -1}, {0, 0, -1, 1, -1}}},
    {"Left", {{1, 1, 1, 1, 1}, {1, 0, 1, 1, -1}, {0, 0, 1, -1, -1}, {0, 1, 1, -1, 1}}},
};

CSkyBox::~CSkyBox()
{
    // After SDL_Quit the GL context, and the list with it, is gone.
    if (list != 0 && SDL_WasInit(SDL_INIT_VIDEO))
        glDeleteLists(list, 1);
}

bool CSkyBox::Build(const char* name)
{
    textures.assign(SKY_FACE_COUNT, 0);
    glGenTextures(SKY_FACE_COUNT, textures.data());
    horizon = Vec3();
    for (int i = 0; i < SKY_FACE_COUNT; ++i) {
        std::string path = FormatAssetPath(SKY_FACE_ASSET_FORMAT, name, SKY_FACES[i].text);
        // Clamped and without mipmaps: the faces meet without seams. The
        // four sides' horizon lies across the middle of their pictures.
        const auto& c = SKY_FACES[i].corners;  // (s, t, x, y, z) each
        const bool side = c[0][4] != c[1][4] || c[0][4] != c[2][4];
        auto horizonBand = [this, side](const SDL_Surface& image) {
            if (side)
                horizon += MeanColour(image, 0.5f, 0.53f) * 0.25f;
        };
        if (LoadTexture(path.c_str(), TextureStyle::Clamped, textures[i], horizonBand))
            return true;
    }

    list = glGenLists(1);
    glLoadIdentity();
    glNewList(list, GL_COMPILE);
    for (int i = 0; i < SKY_FACE_COUNT; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glBegin(GL_QUADS);
        for (const float* c : SKY_FACES[i].corners) {
            glTexCoord2f(c[0], c[1]);
            glVertex3f(c[2], c[3], c[4]);
        }
        glEnd();
    }
    glEndList();
    return false;
}

void CSkyBox::Aim() { glGetFloatv(GL_MODELVIEW_MATRIX, view); }

bool CSkyBox::Render()
{
    // Where the terrain covers the window the sky would fail the depth
    // test anyway; the software renderer pays for every such fragment.
    if (groundRows >= WINDOW_HEIGHT) {
        glDisable(GL_DEPTH_TEST);
        return false;
    }
    if (groundRows > 0) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(0, groundRows, WINDOW_WIDTH, WINDOW_HEIGHT - groundRows);
    }
    glPushMatrix();
    glLoadMatrixf(view);
    if (scale != 1.0f)
        glScalef(scale, scale, scale);
    // At the far end of the depth range, the faces pass the depth test
    // only where nothing has been drawn; they write no depth.
    glEnable(GL_DEPTH_TEST);
    glDepthRange(1.0, 1.0);
    glDepthMask(GL_FALSE);
    glCallList(list);
    glDepthMask(GL_TRUE);
    glDepthRange(0.0, 1.0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glPopMatrix();
    return false;
}
