#pragma once

#include "base/GameFacts.h"
#include "math/Vec3.h"

#include <cstdint>
#include <vector>

// One face of the sky cube: the name part of its image file and its four
// corners as (s, t) then (x, y, z), wound counter-clockwise seen from the
// centre.
struct SkyFace {
    const char* text;
    float corners[4][5];
};
// In the order the images are loaded and the faces drawn.
extern const SkyFace SKY_FACES[SKY_FACE_COUNT];

// Six pictures on the inside of a unit cube around the eye, turned with
// the view but never moved.
class CSkyBox {
public:
    uint32_t list = 0;
    std::vector<uint32_t> textures;                                     // one per face, made by Build
    float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // the view's rotation, from Aim
    Vec3 horizon;        // the mean colour just above the horizon on the four sides: the haze's
    float scale = 1.0f;  // the cube's half-size: it must lie beyond the near plane
    int groundRows = 0;  // the window's rows, from its bottom, that the terrain covers this frame

    CSkyBox() = default;
    CSkyBox(const CSkyBox&) = delete;  // owns a display list
    CSkyBox& operator=(const CSkyBox&) = delete;
    ~CSkyBox();

    // Loads "Data\<name><face>.bmp" for each face and compiles the cube.
    // True on failure, after its line.
    bool Build(const char* name);
    // Takes the current modelview matrix (the view's rotation alone) as
    // the one the cube is drawn under.
    void Aim();
    // Draws the cube behind everything drawn so far this frame: only where
    // the depth buffer is still clear, so each pixel is filled once. Needs
    // the depth function GL_LEQUAL; leaves depth testing off.
    bool Render();
};
