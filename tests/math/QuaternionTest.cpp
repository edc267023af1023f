#include "math/Quaternion.h"

#include "tests/math/MathExpect.h"

#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

TEST(Quaternion, MakeQuaternionTakesTheScalarFirstAndStoresItLast) {
    ExpectQuaternion(MakeQuaternion(1, 0, 0, 0), {0, 0, 0, 1});
    ExpectQuaternion(MakeQuaternion(4, 1, 2, 3), {1, 2, 3, 4});
}

struct ToQuaternionCase {
    const char* name;
    AxisRotation a;
    Quaternion q;
};

void PrintTo(const ToQuaternionCase& c, std::ostream* os) {
    *os << c.name;
}

class AxisRotationToQuaternionTable : public ::testing::TestWithParam<ToQuaternionCase> {};

TEST_P(AxisRotationToQuaternionTable, MatchesTheWorkedValuesToTheBit) {
    const ToQuaternionCase& c = GetParam();
    ExpectQuaternion(AxisRotationToQuaternion(c.a), c.q);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedValues, AxisRotationToQuaternionTable,
    ::testing::Values(
        ToQuaternionCase{"NoTurn", {0, 1, 0, 0}, {0, 0, 0, 1}},
        ToQuaternionCase{"QuarterTurnAboutZ", {90, 0, 0, 1}, {0, 0, 0.70710677f, 0.70710683f}},
        // The factor 3.14159257 / 180 leaves the scalar part short of 0.
        ToQuaternionCase{"HalfTurnAboutY", {180, 0, 1, 0}, {0, 1, 0, 7.5497901e-08f}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Quaternion, AxisOfLengthLScalesTheVectorPartByL) {
    const Quaternion unit = AxisRotationToQuaternion(MakeAxisRotationAXYZ(40, 0.6f, 0, 0.8f));
    for (float L : {0.0f, 0.25f, 0.5f, 2.0f, 8.0f}) {
        const Quaternion q =
            AxisRotationToQuaternion(MakeAxisRotationAXYZ(40, 0.6f * L, 0, 0.8f * L));
        ExpectQuaternion(q, {unit.x * L, 0, unit.z * L, unit.n});
    }
}

TEST(Quaternion, ToAxisRotationOfIdentityEitherSignIsNoRotationAboutX) {
    ExpectAxisRotation(QuaternionToAxisRotation(MakeQuaternion(1, 0, 0, 0)), {0, 1, 0, 0});
    ExpectAxisRotation(QuaternionToAxisRotation(MakeQuaternion(-1, 0, 0, 0)), {0, 1, 0, 0});
}

TEST(Quaternion, ToAxisRotationRoundTripsQuarterTurnAboutZ) {
    const Quaternion q = AxisRotationToQuaternion(MakeAxisRotationAXYZ(90, 0, 0, 1));
    ExpectAxisRotation(QuaternionToAxisRotation(q), {89.99999237060547f, 0, 0, 1});
}

TEST(Quaternion, ToAxisRotationTreatsScalarWithin1e7OfOneAsNoRotation) {
    // One float step below 1 is inside the tolerance, two steps are not.
    const float oneStep = std::nextafter(1.0f, 0.0f);
    const float twoSteps = std::nextafter(oneStep, 0.0f);
    ExpectAxisRotation(QuaternionToAxisRotation(MakeQuaternion(oneStep, 0, 0, 1e-4f)),
                       {0, 1, 0, 0});
    const AxisRotation r = QuaternionToAxisRotation(MakeQuaternion(twoSteps, 0, 0, 1e-4f));
    EXPECT_GT(r.angle, 0.0f);
    EXPECT_EQ(r.z, 1.0f);
}

TEST(Quaternion, MultiplyAppliesTheFirstOperandFirst) {
    const Quaternion aboutZ = AxisRotationToQuaternion(MakeAxisRotationAXYZ(90, 0, 0, 1));
    const Quaternion aboutX = AxisRotationToQuaternion(MakeAxisRotationAXYZ(90, 1, 0, 0));
    const Quaternion q = QuaternionMultiply(aboutZ, aboutX);
    EXPECT_TRUE(WithinOneUlp(q.x, 0.5f));
    EXPECT_TRUE(WithinOneUlp(q.y, -0.5f));
    EXPECT_TRUE(WithinOneUlp(q.z, 0.5f));
    EXPECT_TRUE(WithinOneUlp(q.n, 0.5f));
}

TEST(Quaternion, MultiplyByIdentityOnEitherSideNormalisesTheOther) {
    const Quaternion identity = MakeQuaternion(1, 0, 0, 0);
    const Quaternion q = MakeQuaternion(4, 0, 3, 0);
    ExpectQuaternion(QuaternionMultiply(identity, q), {0, 0.6f, 0, 0.8f});
    ExpectQuaternion(QuaternionMultiply(q, identity), {0, 0.6f, 0, 0.8f});
}

TEST(Quaternion, MultiplyNormalisesWithTheScalarSquareSummedFirst) {
    // 4096^2 + 1 + 1 + 1 keeps the last bit only in this order.
    const Quaternion q =
        QuaternionMultiply(MakeQuaternion(1, 0, 0, 0), MakeQuaternion(4096, 1, 1, 1));
    const float r = 1.0f / 4096.0f;
    ExpectQuaternion(q, {r, r, r, 1.0f});
}

TEST(Quaternion, MultiplyWithZeroProductIsNaN) {
    const Quaternion q = QuaternionMultiply(MakeQuaternion(0, 0, 0, 0), MakeQuaternion(1, 0, 0, 0));
    EXPECT_TRUE(std::isnan(q.x) && std::isnan(q.y) && std::isnan(q.z) && std::isnan(q.n));
}

} // namespace
