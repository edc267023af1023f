#include "math/Quaternion.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

struct Vec {
    double x, y, z;
};

Vec Cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Rodrigues' formula in double, straight from the axis and angle, so the
// reference shares no code with the quaternion functions.
Vec RotateByAxisRotation(Vec v, AxisRotation a) {
    const double len = std::sqrt(double{a.x} * a.x + double{a.y} * a.y + double{a.z} * a.z);
    const Vec k{a.x / len, a.y / len, a.z / len};
    const double t = a.angle * M_PI / 180.0, c = std::cos(t), s = std::sin(t);
    const Vec kv = Cross(k, v);
    const double kd = k.x * v.x + k.y * v.y + k.z * v.z;
    return {v.x * c + kv.x * s + k.x * kd * (1 - c), v.y * c + kv.y * s + k.y * kd * (1 - c),
            v.z * c + kv.z * s + k.z * kd * (1 - c)};
}

// q p q* for a unit quaternion: v + 2n (u x v) + 2 u x (u x v).
Vec RotateByQuaternion(Vec v, Quaternion q) {
    const Vec u{q.x, q.y, q.z};
    const Vec uv = Cross(u, v), uuv = Cross(u, uv);
    return {v.x + 2 * (q.n * uv.x + uuv.x), v.y + 2 * (q.n * uv.y + uuv.y),
            v.z + 2 * (q.n * uv.z + uuv.z)};
}

class QuaternionProperty : public ::testing::Test {
  protected:
    std::mt19937 rng{20261206};
    std::uniform_real_distribution<float> unit{-1.0f, 1.0f};
    std::uniform_real_distribution<float> angle{-180.0f, 180.0f};

    AxisRotation RandomRotation() {
        const Vector3D axis = Vector3DNormalize(MakeVector3D(unit(rng), unit(rng), unit(rng)));
        return MakeAxisRotationAV(angle(rng), axis);
    }
};

TEST_F(QuaternionProperty, ProductRotatesLikeTheFirstRotationThenTheSecond) {
    for (int i = 0; i < 2000; ++i) {
        const AxisRotation a = RandomRotation(), b = RandomRotation();
        const Vec v{unit(rng), unit(rng), unit(rng)};
        const Vec twice = RotateByAxisRotation(RotateByAxisRotation(v, a), b);
        const Vec once = RotateByQuaternion(
            v, QuaternionMultiply(AxisRotationToQuaternion(a), AxisRotationToQuaternion(b)));
        ASSERT_NEAR(once.x, twice.x, 2e-5) << "case " << i;
        ASSERT_NEAR(once.y, twice.y, 2e-5) << "case " << i;
        ASSERT_NEAR(once.z, twice.z, 2e-5) << "case " << i;
    }
}

TEST_F(QuaternionProperty, ProductHasUnitLengthWhateverTheOperandLengths) {
    std::uniform_real_distribution<float> scale{0.01f, 100.0f};
    for (int i = 0; i < 2000; ++i) {
        Quaternion p = AxisRotationToQuaternion(RandomRotation());
        Quaternion q = AxisRotationToQuaternion(RandomRotation());
        const float sp = scale(rng), sq = scale(rng);
        p = MakeQuaternion(p.n * sp, p.x * sp, p.y * sp, p.z * sp);
        q = MakeQuaternion(q.n * sq, q.x * sq, q.y * sq, q.z * sq);
        const Quaternion r = QuaternionMultiply(p, q);
        const double len = std::sqrt(double{r.x} * r.x + double{r.y} * r.y + double{r.z} * r.z +
                                     double{r.n} * r.n);
        ASSERT_NEAR(len, 1.0, 3e-7) << "case " << i;
        // A unit product never leaves the domain of acos.
        ASSERT_LE(std::fabs(r.n), 1.0f) << "case " << i;
    }
}

} // namespace
