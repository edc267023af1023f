// A point or direction in 3-space, and the free functions on it.
//
// Every function is pure: values in, value out, nothing allocated or reported.
// Arithmetic is single precision, left to right as each function documents,
// with the C library's double sqrt/atan2 on widened floats, so results are
// reproducible to the bit on every target built without fused multiply-add.
#pragma once

struct Vector3D {
    float x{};
    float y{};
    float z{};
};

Vector3D MakeVector3D(float x, float y, float z);

// sqrt((x*x + y*y) + z*z)
float Vector3DMagnitude(Vector3D v1);

// v1 divided by its magnitude; a zero vector gives NaN in every component.
Vector3D Vector3DNormalize(Vector3D v1);

Vector3D Vector3DReverse(Vector3D v1);
Vector3D Vector3DAdd(Vector3D v1, Vector3D v2);
Vector3D Vector3DSubtract(Vector3D v1, Vector3D v2);
Vector3D Vector3DScale(Vector3D v1, float s);

// Right-handed: (1,0,0) x (0,1,0) = (0,0,1).
Vector3D Vector3DCross(Vector3D v1, Vector3D v2);

// (v1.x*v2.x + v1.y*v2.y) + v1.z*v2.z
float Vector3DDot(Vector3D v1, Vector3D v2);

// Angle between v1 and v2 in degrees, 0 to 180.00015. The conversion divides
// by 3.14159 rather than pi, so a right angle reads 90.000076. A zero-length
// argument gives NaN.
float Vector3DGetAngle(Vector3D v1, Vector3D v2);
