#include "math/Quaternion.h"

#include <cmath>

Quaternion MakeQuaternion(float n, float x, float y, float z) {
    return Quaternion{x, y, z, n};
}

Quaternion AxisRotationToQuaternion(AxisRotation a) {
    // 3.14159257 / 180 as a double, not pi / 180; the stored orientations
    // and the arcball's angles are defined with this factor.
    const float ang2 = static_cast<float>(a.angle * 0.017453292055555555 * 0.5);
    const float sinAng2 = static_cast<float>(std::sin(static_cast<double>(ang2)));
    return Quaternion{a.x * sinAng2, a.y * sinAng2, a.z * sinAng2,
                      static_cast<float>(std::cos(static_cast<double>(ang2)))};
}

AxisRotation QuaternionToAxisRotation(Quaternion q) {
    const double n = q.n;
    if (std::fabs(n - 1.0) < 1e-07 || std::fabs(n + 1.0) < 1e-07) {
        return AxisRotation{0.0f, 1.0f, 0.0f, 0.0f};
    }
    AxisRotation r;
    r.angle =
        static_cast<float>((std::acos(n) + std::acos(n)) * static_cast<double>(RADIANS_TO_DEGREES));
    const float m = Vector3DMagnitude(Vector3D{q.x, q.y, q.z});
    r.x = q.x / m;
    r.y = q.y / m;
    r.z = q.z / m;
    return r;
}

Quaternion QuaternionMultiply(Quaternion q0, Quaternion q1) {
    Quaternion q2;
    q2.x = ((q1.y * q0.z - q1.z * q0.y) + q1.n * q0.x) + q1.x * q0.n;
    q2.y = ((q1.z * q0.x - q1.x * q0.z) + q1.n * q0.y) + q1.y * q0.n;
    q2.z = ((q1.x * q0.y - q1.y * q0.x) + q1.n * q0.z) + q1.z * q0.n;
    q2.n = ((q1.n * q0.n - q1.x * q0.x) - q1.y * q0.y) - q1.z * q0.z;

    const float s = ((q2.n * q2.n + q2.x * q2.x) + q2.y * q2.y) + q2.z * q2.z;
    const float m = static_cast<float>(std::sqrt(static_cast<double>(s)));
    q2.x = q2.x / m;
    q2.y = q2.y / m;
    q2.z = q2.z / m;
    q2.n = q2.n / m;
    return q2;
}
