// Whether a model the richer reader made keeps its promise: every index names
// an entry of its array, each polygon is cut into corners - 2 triangles of its
// own corners, and the arrays that go together have their sizes; and whether
// reading in blocks on several threads gives what one thread gives. Shared
// by the fuzz target and the tests.
#pragma once

#include "diag/Diagnostics.h"
#include "mesh/ObjModel.h"
#include "mesh/model/ObjModelText.h"
#include "mesh/scan/TextBlocks.h"

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

// Everything a read decides, as bytes: the name, every array, the materials.
inline std::string modelBytes(const mesh::ObjModel& m) {
    std::string s = m.name + '\0';
    const auto add = [&](const auto& v) {
        const size_t n = v.size();
        s.append(reinterpret_cast<const char*>(&n), sizeof n);
        s.append(reinterpret_cast<const char*>(v.data()), n * sizeof v[0]);
    };
    add(m.positions), add(m.colours), add(m.textureCoords), add(m.normals), add(m.corners);
    add(m.triangles), add(m.trianglePolygons), add(m.points);
    for (const mesh::ObjPolygon& p : m.polygons) {
        const float n[3] = {p.normal.x, p.normal.y, p.normal.z};
        const int64_t fields[3] = {p.firstCorner, p.cornerCount, p.material};
        s.append(reinterpret_cast<const char*>(fields), sizeof fields);
        s.append(reinterpret_cast<const char*>(n), sizeof n);
    }
    for (const mesh::ObjPolyline& l : m.lines) {
        const int64_t fields[3] = {l.firstCorner, l.cornerCount, l.material};
        s.append(reinterpret_cast<const char*>(fields), sizeof fields);
    }
    for (const mesh::ObjMaterial& t : m.materials) {
        s += t.name + '\0' + t.diffuseMap + '\0';
        const float f[10] = {t.Ka[0], t.Ka[1], t.Ka[2], t.Kd[0], t.Kd[1],
                             t.Kd[2], t.Ks[0], t.Ks[1], t.Ks[2], t.Ns};
        s.append(reinterpret_cast<const char*>(f), sizeof f);
    }
    return s;
}

// What reading the text as the file "(text)" prints, then the model's bytes;
// every library it names reads mtl.
inline std::string readBytes(std::string_view obj, std::string_view mtl,
                             const mesh::detail::Settings& settings, mesh::ObjModel& model) {
    struct Collect {
        static void receive(diag::Channel, const char* bytes, size_t length, void* user) {
            static_cast<std::string*>(user)->append(bytes, length);
        }
    };
    std::string out;
    mesh::TextFiles text(obj, mtl);
    diag::setSink(&Collect::receive, &out);
    mesh::detail::readModel(mesh::TextFiles::kModelName, model, text.source(), settings, {});
    diag::setSink(nullptr);
    return out + modelBytes(model);
}

// Whether reading in blocks of blockBytes on threads threads gives what
// reading the whole text as one block in one thread gives.
inline bool sameInBlocks(std::string_view obj, std::string_view mtl, size_t blockBytes,
                         unsigned threads) {
    mesh::ObjModel model;
    mesh::detail::Settings whole, blocks;
    whole.blockBytes = obj.size() + 1;
    whole.threads = 1;
    blocks.blockBytes = blockBytes;
    blocks.threads = threads;
    return readBytes(obj, mtl, whole, model) == readBytes(obj, mtl, blocks, model);
}

// OBJ text, optionally followed by a line "#mtl" and the text of every
// library it names; its first byte also chooses a block size for the
// reading on several threads, which must give what one thread gives.
inline std::string readAndCheck(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kSplit = "\n#mtl\n";
    const size_t split = input.find(kSplit);
    const std::string_view obj = input.substr(0, split);
    const std::string_view mtl =
        split == input.npos ? std::string_view() : input.substr(split + kSplit.size());
    mesh::ObjModel model;
    mesh::readObjModelText(obj, model, mtl);
    if (std::string fault = modelFault(model); !fault.empty())
        return fault;
    const size_t blockBytes = size ? 1 + data[0] % 64 : 1;
    return sameInBlocks(obj, mtl, blockBytes, 3) ? "" : "blocks on three threads read otherwise";
}

} // namespace meshfuzz
