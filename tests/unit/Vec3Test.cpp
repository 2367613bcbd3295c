// Guards the vector helpers: folding that drifts or wraps 1.0, modes taken as bit flags, normalising the delta, a wrong
// cross product.
#include "math/Vec3.h"
#include "tests/support/TestMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Vec3, FoldUnitKeepsBothEndsAndEndsForAnyValue)
{
    const float cases[][2] = {{1.25f, 0.25f},  {2.0f, 1.0f},  {3.5f, 0.5f},  {1.0f, 1.0f},  {0.0f, 0.0f},
                              {-0.25f, 0.75f}, {-1.0f, 0.0f}, {-2.5f, 0.5f}, {1e20f, 1.0f}, {-3e9f, 0.0f}};
    for (const auto& c : cases) {
        float v = c[0];
        FoldUnit(v);
        EXPECT_EQ(v, c[1]) << "from " << c[0];
    }
    float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    FoldUnit(nan);
    FoldUnit(inf);
    EXPECT_TRUE(std::isnan(nan) && std::isinf(inf)) << "values no caller makes end as they are";
}

TEST(Vec3, UpdateModesActOnTheSumAndAreNotBitFlags)
{
    const struct {
        Vec3 start, delta;
        int16_t mode;
        Vec3 want;
    } cases[] = {
        {{0, 0, 100}, {0, 0, 1}, 4, {0, 0, 101}},                     // mode 4 never folds z
        {{0.5f, 0.01f, 100}, {0, -0.02f, 0}, 4, {0.5f, 0.99f, 100}},  // pitch wraps below 0
        {{0, 0, 1}, {1, 0, 0}, 2, {0.70710677f, 0, 0.70710677f}},     // the sum is normalised
        {{1.5f, -0.5f, 2.25f}, {0, 0, 0}, 8, {0.5f, 0.5f, 0.25f}},
        {{0.5f, 0.5f, 0.5f}, {1, 2, 3}, 6, {1.5f, 2.5f, 3.5f}},  // codes are not combined
        {{0.5f, 0.5f, 0.5f}, {1, 2, 3}, 12, {1.5f, 2.5f, 3.5f}},
        {{0.5f, 0.5f, 0.5f}, {1, 2, 3}, 1, {1.5f, 2.5f, 3.5f}},
    };
    for (const auto& c : cases) {
        Vec3 v = c.start;
        v.Update(c.delta.x, c.delta.y, c.delta.z, c.mode);
        ExpectNear(v, c.want, 1e-6f);
    }
}

TEST(Vec3, NormalizeAndTheProducts)
{
    Vec3 v(3, 0, 4), zero;
    Normalize(v);
    ExpectNear(v, Vec3(0.6f, 0, 0.8f), 1e-7f);
    Normalize(zero);
    EXPECT_EQ(Length(zero), 0.0f) << "a zero vector stays zero, not NaN";
    ExpectNear(Cross(Vec3(1, 2, 3), Vec3(4, 5, 6)), Vec3(-3, 6, -3), 0);
    EXPECT_EQ(Dot(Vec3(1, 2, 3), Vec3(4, 5, 6)), 32.0f);
    EXPECT_EQ(Length(Vec3(2, 3, 6)), 7.0f);
}
