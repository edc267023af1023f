// Internal to the mesh readers: the kinds of record a full array drops.
#pragma once

#include <cstdint>

namespace meshdrop {

inline constexpr uint32_t kVerts = 1u << 0;
inline constexpr uint32_t kTextureVerts = 1u << 1;
inline constexpr uint32_t kNormals = 1u << 2;
inline constexpr uint32_t kFaces = 1u << 3;
inline constexpr uint32_t kMtlChanges = 1u << 4;
inline constexpr uint32_t kMaterials = 1u << 5;

} // namespace meshdrop
