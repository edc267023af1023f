// Internal to the mesh: which corners of a face name records the arrays hold.
// The renderers check every face as they draw it, against the counts of that
// moment, so that nothing a caller writes into the public arrays or counts
// makes them read outside an array.
#pragma once

#include "mesh/MyOBJ.h"

#include <algorithm>
#include <cstdint>

namespace mesh::detail {

// Every corner names a loaded position, and the face is a triangle or a quad.
inline constexpr uint16_t kFaceDrawable = 1u << 0;

// The corner names a loaded texture vertex / normal.
constexpr uint16_t faceTextureBit(int corner) {
    return static_cast<uint16_t>(1u << (1 + corner));
}
constexpr uint16_t faceNormalBit(int corner) {
    return static_cast<uint16_t>(1u << (5 + corner));
}

// The counts of a model, each within its array.
struct FaceLimits {
    int32_t faces;
    int32_t verts;
    int32_t textureVerts;
    int32_t normals;
};

inline FaceLimits faceLimitsOf(const MyOBJ& obj) {
    const auto within = [](int32_t count, int32_t capacity) {
        return std::clamp(count, int32_t{0}, capacity);
    };
    return {within(obj.mFaceCount, MyOBJ::kMaxFaces), within(obj.mVertCount, MyOBJ::kMaxVerts),
            within(obj.mTextureVertCount, MyOBJ::kMaxVerts),
            within(obj.mNormalCount, MyOBJ::kMaxVerts)};
}

// The face's bits: 0 for a face that cannot be drawn.
inline uint16_t checkFace(const Face& face, const FaceLimits& limits) {
    if (face.verts != 3 && face.verts != 4) {
        return 0;
    }
    const auto inside = [](int32_t index, int32_t count) { return index >= 1 && index <= count; };
    uint16_t checks = kFaceDrawable;
    for (int c = 0; c < face.verts; ++c) {
        if (!inside(face.v[c], limits.verts)) {
            return 0;
        }
        if (inside(face.vt[c], limits.textureVerts)) {
            checks |= faceTextureBit(c);
        }
        if (inside(face.vn[c], limits.normals)) {
            checks |= faceNormalBit(c);
        }
    }
    return checks;
}

} // namespace mesh::detail
