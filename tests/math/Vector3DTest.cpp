#include "math/Vector3D.h"

#include "tests/math/MathExpect.h"

#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

TEST(Vector3D, NormalizeScalesToUnitLength) {
    ExpectVector(Vector3DNormalize(MakeVector3D(3, 4, 0)), {0.6f, 0.8f, 0.0f});
}

TEST(Vector3D, NormalizeOfZeroVectorIsNaNInEveryComponent) {
    const Vector3D v = Vector3DNormalize(MakeVector3D(0, 0, 0));
    EXPECT_TRUE(std::isnan(v.x));
    EXPECT_TRUE(std::isnan(v.y));
    EXPECT_TRUE(std::isnan(v.z));
}

TEST(Vector3D, MagnitudeSumsSquaresLeftToRight) {
    // With one large component the grouping (x*x + y*y) + z*z decides the
    // last bit; either other grouping gives a different float.
    const struct {
        Vector3D v;
        float length;
    } cases[] = {{{2, -3, 6}, 7.0f}, {{4099, 23, 29}, 4099.1665f}, {{8192, 2, 3}, 8192.0f}};
    for (const auto& c : cases) {
        EXPECT_EQ(Vector3DMagnitude(c.v), c.length) << c.v.x << " " << c.v.y << " " << c.v.z;
    }
}

TEST(Vector3D, CrossIsRightHanded) {
    ExpectVector(Vector3DCross(MakeVector3D(1, 0, 0), MakeVector3D(0, 1, 0)), {0, 0, 1});
    ExpectVector(Vector3DCross(MakeVector3D(0, 1, 0), MakeVector3D(0, 0, 1)), {1, 0, 0});
    ExpectVector(Vector3DCross(MakeVector3D(0, 1, 0), MakeVector3D(1, 0, 0)), {0, 0, -1});
}

TEST(Vector3D, ComponentwiseOperationsKeepOperandOrder) {
    const Vector3D a = MakeVector3D(1, 2, 3), b = MakeVector3D(10, 20, 40);
    ExpectVector(Vector3DAdd(a, b), {11, 22, 43});
    ExpectVector(Vector3DSubtract(a, b), {-9, -18, -37});
    ExpectVector(Vector3DScale(a, -2), {-2, -4, -6});
    ExpectVector(Vector3DReverse(a), {-1, -2, -3});
    EXPECT_EQ(Vector3DDot(a, b), 170.0f);
}

struct AngleCase {
    const char* name;
    Vector3D v1, v2;
    float degrees;
};

void PrintTo(const AngleCase& c, std::ostream* os) {
    *os << c.name;
}

class Vector3DAngle : public ::testing::TestWithParam<AngleCase> {};

TEST_P(Vector3DAngle, IsInDegreesWithDecimalPiToTheBit) {
    const AngleCase& c = GetParam();
    EXPECT_EQ(Vector3DGetAngle(c.v1, c.v2), c.degrees);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedValues, Vector3DAngle,
    ::testing::Values(AngleCase{"RightAngle", {1, 0, 0}, {0, 1, 0}, 90.00007629394531f},
                      AngleCase{"HalfRightAngle", {1, 0, 0}, {1, 1, 0}, 45.000038146972656f},
                      AngleCase{"Opposite", {1, 0, 0}, {-1, 0, 0}, 180.00015258789062f},
                      AngleCase{"Same", {2, -3, 5}, {2, -3, 5}, 0.0f},
                      // Lengths cancel out: only the directions matter.
                      AngleCase{"DifferentLengths", {7, 0, 0}, {0, 0.25f, 0}, 90.00007629394531f}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Vector3D, GetAngleWithZeroLengthArgumentIsNaN) {
    EXPECT_TRUE(std::isnan(Vector3DGetAngle(MakeVector3D(0, 0, 0), MakeVector3D(1, 0, 0))));
    EXPECT_TRUE(std::isnan(Vector3DGetAngle(MakeVector3D(1, 0, 0), MakeVector3D(0, 0, 0))));
}

} // namespace
