// Whether a model the richer reader made keeps its promise: every index names
// an entry of its array, each polygon is cut into corners - 2 triangles of its
// own corners, and the arrays that go together have their sizes. Shared by
// the fuzz target and the tests.
#pragma once

#include "mesh/ObjModel.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace meshfuzz {

// Empty when the model is sound, else what is wrong with it.
inline std::string modelFault(const mesh::ObjModel& m) {
    const auto within = [](int64_t i, size_t size, bool optional) {
        return (optional && i == -1) || (i >= 0 && uint64_t(i) < size);
    };
    for (const mesh::ObjCorner& c : m.corners)
        if (!within(c.v, m.positions.size(), false) ||
            !within(c.vt, m.textureCoords.size(), true) || !within(c.vn, m.normals.size(), true))
            return "a corner names no entry";
    if (!m.colours.empty() && m.colours.size() != m.positions.size())
        return "not one colour a position";
    for (const Vector3D& c : m.colours)
        if (!(c.x >= 0 && c.x <= 1 && c.y >= 0 && c.y <= 1 && c.z >= 0 && c.z <= 1) &&
            !std::isnan(c.x))
            return "a colour outside 0..1";
    size_t triangles = 0;
    for (const mesh::ObjPolygon& p : m.polygons) {
        if (p.cornerCount < 3 || uint64_t(p.firstCorner) + p.cornerCount > m.corners.size() ||
            !within(p.material, m.materials.size(), true))
            return "a polygon out of its arrays";
        triangles += p.cornerCount - 2;
    }
    if (m.triangles.size() != 3 * triangles || m.trianglePolygons.size() != triangles)
        return "not corners - 2 triangles a polygon";
    for (size_t t = 0; t < m.trianglePolygons.size(); ++t) {
        if (m.trianglePolygons[t] >= m.polygons.size())
            return "a triangle of no polygon";
        const mesh::ObjPolygon& p = m.polygons[m.trianglePolygons[t]];
        for (size_t k = 0; k < 3; ++k)
            if (m.triangles[3 * t + k] < p.firstCorner ||
                m.triangles[3 * t + k] >= p.firstCorner + p.cornerCount)
                return "a triangle with a corner of another polygon";
    }
    for (const mesh::ObjPolyline& l : m.lines)
        if (l.cornerCount < 2 || uint64_t(l.firstCorner) + l.cornerCount > m.corners.size() ||
            !within(l.material, m.materials.size(), true))
            return "a line element out of its arrays";
    for (int32_t p : m.points)
        if (!within(p, m.positions.size(), false))
            return "a point names no position";
    return {};
}

// OBJ text, optionally followed by a line "#mtl" and the text of every library it names.
inline std::string readAndCheck(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kSplit = "\n#mtl\n";
    const size_t split = input.find(kSplit);
    mesh::ObjModel model;
    mesh::readObjModelText(input.substr(0, split), model,
                           split == input.npos ? std::string_view()
                                               : input.substr(split + kSplit.size()));
    return modelFault(model);
}

} // namespace meshfuzz
