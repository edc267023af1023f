// Internal to the mesh readers: the kinds of record a full array drops.
#pragma once

#include <cstdint>

namespace mesh::detail {

inline constexpr uint32_t kDroppedVerts = 1u << 0;
inline constexpr uint32_t kDroppedTextureVerts = 1u << 1;
inline constexpr uint32_t kDroppedNormals = 1u << 2;
inline constexpr uint32_t kDroppedFaces = 1u << 3;
inline constexpr uint32_t kDroppedMtlChanges = 1u << 4;
inline constexpr uint32_t kDroppedMaterials = 1u << 5;

} // namespace mesh::detail
