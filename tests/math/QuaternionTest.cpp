#include "math/Quaternion.h"

#include "tests/support/MathExpect.h"

#include <cmath>
#include <random>

const Quaternion kIdentity{0, 0, 0, 1};

TEST(Quaternion, WorkedValuesMatchToTheBitAndZeroProductIsNaN) {
    const float t = 1 / 4096.0f, below1 = std::nextafter(1.0f, 0.0f); // within 1e-7 of 1
    ExpectRows<Quaternion>({
        {"no turn", AxisRotationToQuaternion({0, 1, 0, 0}), kIdentity},
        {"quarter turn", AxisRotationToQuaternion({90, 0, 0, 1}), kQuarterAboutZ},
        // The factor 3.14159257 / 180 leaves the scalar part short of 0.
        {"half turn", AxisRotationToQuaternion({180, 0, 1, 0}), {0, 1, 0, 7.5497901e-08f}},
        // An axis of length L scales the vector part by L.
        {"axis length 2", AxisRotationToQuaternion({90, 0, 0, 2}), {0, 0, 1.4142135f, 0.70710683f}},
        {"axis length 0", AxisRotationToQuaternion({90, 0, 0, 0}), {0, 0, 0, 0.70710683f}},
        // 4096^2 + 1 + 1 + 1 keeps its last bit only with the scalar square first.
        {"sum order", QuaternionMultiply(kIdentity, {1, 1, 1, 4096}), {t, t, t, 1}},
        {"zero product", QuaternionMultiply({0, 0, 0, 0}, kIdentity), {NAN, NAN, NAN, NAN}},
    });
    ExpectRows<AxisRotation>({
        {"identity", QuaternionToAxisRotation(kIdentity), {0, 1, 0, 0}},
        {"negated identity", QuaternionToAxisRotation({0, 0, 0, -1}), {0, 1, 0, 0}},
        {"quarter turn", QuaternionToAxisRotation(kQuarterAboutZ), {89.99999237060547f, 0, 0, 1}},
        {"scalar near 1", QuaternionToAxisRotation({0, 0, 1e-4f, below1}), {0, 1, 0, 0}},
    });
    // One more float step below 1 is a rotation.
    EXPECT_GT(QuaternionToAxisRotation({0, 0, 1e-4f, std::nextafter(below1, 0.f)}).angle, 0);
}

// q v q* for a unit quaternion: v + 2n (u x v) + 2 u x (u x v).
static Vector3D Rotate(Vector3D v, Quaternion q) {
    const Vector3D u{q.x, q.y, q.z}, uv = Vector3DCross(u, v);
    return Vector3DAdd(v,
                       Vector3DScale(Vector3DAdd(Vector3DScale(uv, q.n), Vector3DCross(u, uv)), 2));
}

// Whatever the operands' lengths, the product is a unit quaternion that turns
// a vector like the first rotation and then the second.
TEST(Quaternion, ProductOfRandomRotationsIsUnitAndTurnsLikeFirstThenSecond) {
    std::mt19937 rng{20261206};
    std::uniform_real_distribution<float> unit{-1, 1}, angle{-180, 180}, scale{0.01f, 100};
    auto random = [&] {
        const Vector3D axis = Vector3DNormalize({unit(rng), unit(rng), unit(rng)});
        return AxisRotationToQuaternion(MakeAxisRotationAV(angle(rng), axis));
    };
    for (int i = 0; i < 2000; ++i) {
        const Quaternion a = random(), b = random();
        const Vector3D v{unit(rng), unit(rng), unit(rng)};
        const float s = scale(rng), t = scale(rng);
        const Quaternion r = QuaternionMultiply({a.x * s, a.y * s, a.z * s, a.n * s},
                                                {b.x * t, b.y * t, b.z * t, b.n * t});
        ASSERT_NEAR(std::hypot(std::hypot(double{r.x}, r.y, r.z), r.n), 1.0, 3e-7) << "case " << i;
        ASSERT_LE(std::fabs(r.n), 1.0f) << "case " << i; // never outside the domain of acos
        const Vector3D once = Rotate(v, r), twice = Rotate(Rotate(v, a), b);
        ASSERT_LT(Vector3DMagnitude(Vector3DSubtract(once, twice)), 3e-5) << "case " << i;
    }
}
