// The axis-angle rotation and the constants shared by the geometry code.
#pragma once

#include "math/Vector3D.h"

// Rotation of `angle` degrees about (x, y, z) by the right-hand rule, in the
// argument order of glRotatef. The axis need not have unit length.
struct AxisRotation {
    float angle{};
    float x{};
    float y{};
    float z{};
};

// The float nearest 57.29578 (57.295780181884766).
inline constexpr float RADIANS_TO_DEGREES = 57.29578f;

AxisRotation MakeAxisRotationAXYZ(float angle, float x, float y, float z);
AxisRotation MakeAxisRotationAV(float angle, Vector3D v);
