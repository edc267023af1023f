// Internal to the mesh: the bits of a face's check (see MyOBJ::checkFaces).
#pragma once

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

} // namespace mesh::detail
