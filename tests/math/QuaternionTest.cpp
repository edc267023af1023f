#include "math/Quaternion.h"

#include "tests/math/MathExpect.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

const Quaternion kIdentity{0, 0, 0, 1}, kQuarterAboutZ{0, 0, 0.70710677f, 0.70710683f};

TEST(Quaternion, WorkedValuesMatchToTheBitAndZeroProductIsNaN) {
    const Quaternion q = MakeQuaternion(4, 0, 3, 0), r = {0, 0.6f, 0, 0.8f};
    const float t = 1 / 4096.0f, below1 = std::nextafter(1.0f, 0.0f); // within 1e-7 of 1
    ExpectRows<Quaternion>({
        {"make, scalar first", MakeQuaternion(1, 0, 0, 0), kIdentity},
        {"make, scalar stored last", MakeQuaternion(4, 1, 2, 3), {1, 2, 3, 4}},
        {"no turn", AxisRotationToQuaternion({0, 1, 0, 0}), kIdentity},
        {"quarter turn", AxisRotationToQuaternion({90, 0, 0, 1}), kQuarterAboutZ},
        // The factor 3.14159257 / 180 leaves the scalar part short of 0.
        {"half turn", AxisRotationToQuaternion({180, 0, 1, 0}), {0, 1, 0, 7.5497901e-08f}},
        {"identity first", QuaternionMultiply(kIdentity, q), r},
        {"identity second", QuaternionMultiply(q, kIdentity), r},
        // 4096^2 + 1 + 1 + 1 keeps its last bit only with the scalar square first.
        {"sum order", QuaternionMultiply(kIdentity, {1, 1, 1, 4096}), {t, t, t, 1}},
    });
    ExpectRows<AxisRotation>({
        {"identity", QuaternionToAxisRotation(kIdentity), {0, 1, 0, 0}},
        {"negated identity", QuaternionToAxisRotation({0, 0, 0, -1}), {0, 1, 0, 0}},
        {"quarter turn", QuaternionToAxisRotation(kQuarterAboutZ), {89.99999237060547f, 0, 0, 1}},
        {"scalar near 1", QuaternionToAxisRotation({0, 0, 1e-4f, below1}), {0, 1, 0, 0}},
    });
    // One more float step below 1 is a rotation.
    EXPECT_GT(QuaternionToAxisRotation({0, 0, 1e-4f, std::nextafter(below1, 0.f)}).angle, 0);
    // A zero product gives NaN.
    const Quaternion z = QuaternionMultiply({0, 0, 0, 0}, kIdentity);
    EXPECT_TRUE(std::isnan(z.x) && std::isnan(z.y) && std::isnan(z.z) && std::isnan(z.n));
}

TEST(Quaternion, MultiplyTurnsAboutTheFirstOperandFirst) {
    const Quaternion q =
        QuaternionMultiply(kQuarterAboutZ, AxisRotationToQuaternion({90, 1, 0, 0}));
    const std::array<float, 4> actual{q.x, q.y, q.z, q.n}, expected{0.5f, -0.5f, 0.5f, 0.5f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 0x1p-24f) << i; // one unit in the last place of 0.5
    }
}

TEST(Quaternion, AxisOfLengthLScalesTheVectorPartByL) {
    const Quaternion u = AxisRotationToQuaternion({40, 0.6f, 0, 0.8f});
    for (float L : {0.0f, 0.25f, 0.5f, 2.0f, 8.0f}) {
        const Quaternion q = AxisRotationToQuaternion({40, 0.6f * L, 0, 0.8f * L});
        ExpectRows<Quaternion>({{"scaled", q, {u.x * L, 0, u.z * L, u.n}}});
    }
}

using Vec = std::array<double, 3>;

Vec Cross(Vec a, Vec b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// q p q* for a unit quaternion: v + 2n (u x v) + 2 u x (u x v).
Vec Rotate(Vec v, Quaternion q) {
    const Vec uv = Cross({q.x, q.y, q.z}, v), uuv = Cross({q.x, q.y, q.z}, uv);
    for (int i = 0; i < 3; ++i) {
        v[i] += 2 * (q.n * uv[i] + uuv[i]);
    }
    return v;
}

// The quaternion of a turn about a unit axis, in double, apart from the library.
Quaternion Reference(AxisRotation a) {
    const double half = a.angle * M_PI / 360, s = std::sin(half);
    return {float(a.x * s), float(a.y * s), float(a.z * s), float(std::cos(half))};
}

// Whatever the operands' lengths, the product is a unit quaternion that turns
// a vector like the first rotation and then the second.
TEST(Quaternion, ProductOfRandomRotationsIsUnitAndTurnsLikeFirstThenSecond) {
    std::mt19937 rng{20261206};
    std::uniform_real_distribution<float> unit{-1, 1}, angle{-180, 180}, scale{0.01f, 100};
    auto random = [&] {
        return MakeAxisRotationAV(angle(rng), Vector3DNormalize({unit(rng), unit(rng), unit(rng)}));
    };
    for (int i = 0; i < 2000; ++i) {
        const AxisRotation a = random(), b = random();
        const Vec v{unit(rng), unit(rng), unit(rng)};
        Quaternion qa = AxisRotationToQuaternion(a), qb = AxisRotationToQuaternion(b);
        for (Quaternion* q : {&qa, &qb}) {
            const float s = scale(rng);
            *q = {q->x * s, q->y * s, q->z * s, q->n * s};
        }
        const Quaternion r = QuaternionMultiply(qa, qb);
        const double length = std::hypot(std::hypot(double{r.x}, r.y, r.z), r.n);
        ASSERT_NEAR(length, 1.0, 3e-7) << "case " << i;
        ASSERT_LE(std::fabs(r.n), 1.0f) << "case " << i; // never outside the domain of acos
        const Vec once = Rotate(v, r), twice = Rotate(Rotate(v, Reference(a)), Reference(b));
        for (int k = 0; k < 3; ++k) {
            ASSERT_NEAR(once[k], twice[k], 2e-5) << "case " << i;
        }
    }
}

} // namespace
