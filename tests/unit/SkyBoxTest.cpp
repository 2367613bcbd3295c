// Guards the sky cube's table: a face on the wrong plane, wound to be culled from inside, or its picture not spread corner to corner.
#include "world/SkyBox.h"
#include "math/Vec3.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(SkyBox, FacesSitOnTheirPlanesAndFaceTheCentre)
{
    const char* names[6] = {"Bottom", "Top", "Front", "Back", "Right", "Left"};
    const Vec3 planes[6] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
    for (int i = 0; i < 6; ++i) {
        const SkyFace& face = SKY_FACES[i];
        EXPECT_STREQ(face.text, names[i]);
        Vec3 area;
        float sMin = 1, sMax = 0, tMin = 1, tMax = 0;
        for (int c = 0; c < 4; ++c) {
            const float* a = face.corners[c];
            const float* b = face.corners[(c + 1) % 4];
            EXPECT_EQ(Dot(Vec3(a[2], a[3], a[4]), planes[i]), 1.0f) << names[i] << " corner " << c;
            area += Cross(Vec3(a[2], a[3], a[4]), Vec3(b[2], b[3], b[4]));
            sMin = std::min(sMin, a[0]), sMax = std::max(sMax, a[0]), tMin = std::min(tMin, a[1]), tMax = std::max(tMax, a[1]);
        }
        // Counter-clockwise seen from the centre: the area vector points back at it.
        EXPECT_LT(Dot(area, planes[i]), 0.0f) << names[i];
        EXPECT_EQ(sMin + tMin, 0.0f) << names[i];
        EXPECT_EQ(sMax + tMax, 2.0f) << names[i];
    }
}
