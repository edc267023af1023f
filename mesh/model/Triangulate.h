// Cutting one polygon into triangles, as the richer OBJ reader does: ear
// clipping in the polygon's own plane, which is right for concave polygons
// where a fan is not.
#pragma once

#include "math/Vector3D.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mesh {

// The unit normal of the plane of the corners by Newell's method, on the side
// from which they run counter-clockwise; zero when they span no area.
inline Vector3D newellNormal(const Vector3D* corners, size_t count) {
    if (count < 3)
        return {0, 0, 0};
    double n[3] = {0, 0, 0};
    const Vector3D& o = corners[0];
    for (size_t i = 0; i < count; ++i) {
        const Vector3D& a = corners[i];
        const Vector3D& b = corners[i + 1 < count ? i + 1 : 0];
        const double ax = double(a.x) - o.x, ay = double(a.y) - o.y, az = double(a.z) - o.z;
        const double bx = double(b.x) - o.x, by = double(b.y) - o.y, bz = double(b.z) - o.z;
        n[0] += (ay - by) * (az + bz);
        n[1] += (az - bz) * (ax + bx);
        n[2] += (ax - bx) * (ay + by);
    }
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0) || !std::isfinite(length))
        return {0, 0, 0};
    return {float(n[0] / length), float(n[1] / length), float(n[2] / length)};
}
inline Vector3D newellNormal(const std::vector<Vector3D>& corners) {
    return newellNormal(corners.data(), corners.size());
}

// Appends to triangles three corner numbers (0-based, into corners) for each
// of corners.size() - 2 triangles, wound as the polygon is, and returns true.
// A polygon too tangled to cut exactly (self-intersecting, or so many concave
// corners that exact clipping would take too long) is still cut, the rest of
// it as a fan, and the result is false.
bool triangulatePolygon(const Vector3D* corners, size_t count, const Vector3D& normal,
                        std::vector<uint32_t>& triangles);
// The same for four corners, into six corner numbers.
bool triangulateQuad(const Vector3D* corners, const Vector3D& normal, uint32_t (&triangles)[6]);
inline bool triangulatePolygon(const std::vector<Vector3D>& corners, const Vector3D& normal,
                               std::vector<uint32_t>& triangles) {
    return triangulatePolygon(corners.data(), corners.size(), normal, triangles);
}

} // namespace mesh
