#include "world/SkyBox.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(SkyBox, FacesSitOnTheirPlanesAndFaceTheCentre)
{
    const char* names[6] = {"Bottom", "Top", "Front", "Back", "Right", "Left"};
    // The axis and side of each face's plane: Bottom z = -1, Front y = -1, Right x = -1 ...
    const int axis[6] = {2, 2, 1, 1, 0, 0};
    const float side[6] = {-1, 1, -1, 1, -1, 1};
    for (int i = 0; i < 6; ++i) {
        const SkyFace& face = SKY_FACES[i];
        SCOPED_TRACE(face.text);
        EXPECT_STREQ(face.text, names[i]);
        float n[3] = {0, 0, 0};
        for (int c = 0; c < 4; ++c) {
            const float* a = face.corners[c] + 2;
            const float* b = face.corners[(c + 1) % 4] + 2;
            EXPECT_EQ(a[axis[i]], side[i]);
            // Newell's normal.
            n[0] += (a[1] - b[1]) * (a[2] + b[2]);
            n[1] += (a[2] - b[2]) * (a[0] + b[0]);
            n[2] += (a[0] - b[0]) * (a[1] + b[1]);
        }
        // Counter-clockwise seen from the centre: the normal points back at it.
        EXPECT_LT(n[axis[i]] * side[i], 0.0f);
        // Each picture is spread once over its face, corner to corner.
        float sMin = 1, sMax = 0, tMin = 1, tMax = 0;
        for (const float* c : face.corners) {
            sMin = std::min(sMin, c[0]), sMax = std::max(sMax, c[0]);
            tMin = std::min(tMin, c[1]), tMax = std::max(tMax, c[1]);
        }
        EXPECT_EQ(sMin + tMin, 0.0f);
        EXPECT_EQ(sMax + tMax, 2.0f);
    }
}
