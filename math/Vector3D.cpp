#include "math/Vector3D.h"

#include <cmath>

Vector3D MakeVector3D(float x, float y, float z) {
    return Vector3D{x, y, z};
}

float Vector3DMagnitude(Vector3D v1) {
    const float s = (v1.x * v1.x + v1.y * v1.y) + v1.z * v1.z;
    // The double root, not sqrtf: the documented results come from it.
    return static_cast<float>(std::sqrt(static_cast<double>(s)));
}

Vector3D Vector3DNormalize(Vector3D v1) {
    const float m = Vector3DMagnitude(v1);
    return Vector3D{v1.x / m, v1.y / m, v1.z / m};
}

Vector3D Vector3DReverse(Vector3D v1) {
    return Vector3D{-v1.x, -v1.y, -v1.z};
}

Vector3D Vector3DAdd(Vector3D v1, Vector3D v2) {
    return Vector3D{v1.x + v2.x, v1.y + v2.y, v1.z + v2.z};
}

Vector3D Vector3DSubtract(Vector3D v1, Vector3D v2) {
    return Vector3D{v1.x - v2.x, v1.y - v2.y, v1.z - v2.z};
}

Vector3D Vector3DScale(Vector3D v1, float s) {
    return Vector3D{v1.x * s, v1.y * s, v1.z * s};
}

Vector3D Vector3DCross(Vector3D v1, Vector3D v2) {
    return Vector3D{v1.y * v2.z - v1.z * v2.y, v1.z * v2.x - v1.x * v2.z,
                    v1.x * v2.y - v1.y * v2.x};
}

float Vector3DDot(Vector3D v1, Vector3D v2) {
    return (v1.x * v2.x + v1.y * v2.y) + v1.z * v2.z;
}

float Vector3DGetAngle(Vector3D v1, Vector3D v2) {
    const Vector3D dragAxis = Vector3DCross(v1, v2);
    float cosAng = Vector3DDot(v1, v2);

    float ls = Vector3DMagnitude(v1);
    ls = static_cast<float>(1.0 / ls);
    float le = Vector3DMagnitude(v2);
    le = static_cast<float>(1.0 / le);

    cosAng = (cosAng * ls) * le;
    float sinAng = Vector3DMagnitude(dragAxis);
    sinAng = (sinAng * ls) * le;

    // 3.14159, not pi: the arcball's documented angles depend on this divisor.
    const float angle = static_cast<float>(
        std::atan2(static_cast<double>(sinAng), static_cast<double>(cosAng)) * 180.0 / 3.14159);
    return angle;
}
