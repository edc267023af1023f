// Rotation quaternions and their conversions to and from axis-angle form.
#pragma once

#include "math/MyTypes.h"

// Vector part (x, y, z) and scalar part n; the scalar is stored last.
struct Quaternion {
    float x{};
    float y{};
    float z{};
    float n{};
};

// Takes the scalar part first although the record stores it last.
Quaternion MakeQuaternion(float n, float x, float y, float z);

// The axis is used as given: an axis of length L scales the vector part by L.
Quaternion AxisRotationToQuaternion(AxisRotation a);

// Angle in degrees and the unit axis of a unit quaternion. A scalar part
// within 1e-07 of +1 or -1 is no rotation, {0, 1, 0, 0}; one further outside
// [-1, 1] gives a NaN angle (QuaternionMultiply never produces one).
AxisRotation QuaternionToAxisRotation(Quaternion q);

// The rotation q0 followed by q1, i.e. the product q1 * q0, scaled to unit
// length. A zero product gives NaN.
Quaternion QuaternionMultiply(Quaternion q0, Quaternion q1);
