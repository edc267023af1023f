// Cutting one polygon into triangles, as the richer OBJ reader does: ear
// clipping in the polygon's own plane, which is right for concave polygons
// where a fan is not.
#pragma once

#include "math/Vector3D.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mesh {

// The unit normal of the plane of the corners by Newell's method, on the side
// from which they run counter-clockwise; zero when they span no area.
Vector3D newellNormal(const Vector3D* corners, size_t count);
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
inline bool triangulatePolygon(const std::vector<Vector3D>& corners, const Vector3D& normal,
                               std::vector<uint32_t>& triangles) {
    return triangulatePolygon(corners.data(), corners.size(), normal, triangles);
}

} // namespace mesh
