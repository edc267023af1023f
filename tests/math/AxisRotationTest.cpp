#include "math/MyTypes.h"

#include <bit>
#include <cstdint>
#include <gtest/gtest.h>

namespace {

TEST(AxisRotation, RadiansToDegreesIsTheFloatNearest57_29578) {
    EXPECT_EQ(std::bit_cast<uint32_t>(RADIANS_TO_DEGREES), std::bit_cast<uint32_t>(57.29578f));
    EXPECT_EQ(static_cast<double>(RADIANS_TO_DEGREES), 57.295780181884766);
}

TEST(AxisRotation, ConstructorsKeepTheAngleFirstThenTheAxis) {
    const AxisRotation a = MakeAxisRotationAXYZ(30, 1, 2, 3);
    const AxisRotation b = MakeAxisRotationAV(30, MakeVector3D(1, 2, 3));
    for (const AxisRotation& r : {a, b}) {
        EXPECT_EQ(r.angle, 30.0f);
        EXPECT_EQ(r.x, 1.0f);
        EXPECT_EQ(r.y, 2.0f);
        EXPECT_EQ(r.z, 3.0f);
    }
}

} // namespace
