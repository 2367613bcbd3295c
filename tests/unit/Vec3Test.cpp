#include "math/Vec3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

// Exact: 1.0 is not wrapped to 0.0, and whole turns land on 1.0 from above
// and on 0.0 from below, however large.
TEST(FoldUnit, BringsTurnsIntoTheClosedUnitRange)
{
    const struct {
        float in, out;
    } cases[] = {
        {1.25f, 0.25f}, {2.0f, 1.0f},   {3.5f, 0.5f},  {1.0f, 1.0f},  {0.0f, 0.0f},
        {-0.25f, 0.75f}, {-1.0f, 0.0f}, {-2.5f, 0.5f}, {1e20f, 1.0f}, {-3e9f, 0.0f},
    };
    for (const auto& c : cases) {
        float v = c.in;
        FoldUnit(v);
        EXPECT_EQ(v, c.out) << "from " << c.in;
    }
    float v = 0.995f + 0.01f;
    FoldUnit(v);
    EXPECT_NEAR(v, 0.005f, 1e-6f);

    // Values no caller produces end as they are.
    float nan = std::numeric_limits<float>::quiet_NaN();
    float inf = std::numeric_limits<float>::infinity();
    FoldUnit(nan);
    FoldUnit(inf);
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_TRUE(std::isinf(inf));
}

TEST(Vec3Update, ModesActOnTheSumAndAreNotBitFlags)
{
    Vec3 camera(0, 0, 100);
    camera.Update(0, 0, 1, 4);
    EXPECT_EQ(camera.z, 101.0f) << "mode 4 never folds z";

    Vec3 pitch(0.5f, 0.01f, 100);
    pitch.Update(0, -0.02f, 0, 4);
    EXPECT_FLOAT_EQ(pitch.x, 0.5f);
    EXPECT_NEAR(pitch.y, 0.99f, 1e-6f);
    EXPECT_EQ(pitch.z, 100.0f);

    Vec3 light(0, 0, 1);
    light.Update(1, 0, 0, 2);
    EXPECT_FLOAT_EQ(light.x, 0.70710677f);
    EXPECT_EQ(light.y, 0.0f);
    EXPECT_FLOAT_EQ(light.z, 0.70710677f);

    Vec3 all(1.5f, -0.5f, 2.25f);
    all.Update(0, 0, 0, 8);
    EXPECT_FLOAT_EQ(all.x, 0.5f);
    EXPECT_FLOAT_EQ(all.y, 0.5f);
    EXPECT_FLOAT_EQ(all.z, 0.25f);

    for (int16_t mode : {int16_t(0), int16_t(1), int16_t(6), int16_t(12)}) {
        Vec3 v(0.5f, 0.5f, 0.5f);
        v.Update(1, 2, 3, mode);
        EXPECT_EQ(v.x, 1.5f) << "mode " << mode;
        EXPECT_EQ(v.y, 2.5f) << "mode " << mode;
        EXPECT_EQ(v.z, 3.5f) << "mode " << mode;
    }
}

TEST(Normalize, ScalesToUnitLengthAndLeavesZeroAlone)
{
    Vec3 v(3, 0, 4);
    EXPECT_FALSE(Normalize(v));
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, 0.8f);

    Vec3 zero;
    EXPECT_FALSE(Normalize(zero));
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
}
