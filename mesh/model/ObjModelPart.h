// Internal to the richer OBJ reader: what one block of the file holds, read
// without the model (on any thread). Indices stay as written, with the
// counts of records before them in the block, until the block is taken into
// the model in file order and they can be resolved: most need only a check.
#pragma once

#include "math/Vector3D.h"
#include "mesh/ObjModel.h"
#include "mesh/scan/TextBlocks.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mesh::detail {

// A corner as written less one: 0-based for a (1-based) index above 0, -1
// where the corner gave none, and below -1 for a relative one (-2 for -1).
// Written indices beyond +-2^30 are held there: no count reaches that, so
// either way they name nothing. Most corners are then the model's as they are.
using Corner = mesh::ObjCorner;

enum class ElementKind : uint8_t { Face, Line, Points };

// An "f", "l" or "p" line: its corners follow the last element's in corners.
struct Element {
    ElementKind kind;
    // A word of a face or line element that is no corner (a point that is
    // none is a corner naming nothing).
    bool unreadable;
    // A relative position, texture or normal index, or a position index 0:
    // only the records before it in the model tell what it names.
    bool relative;
    uint32_t corners;
    // An index into useNames, or kInherited: the material in force where the
    // block begins.
    int32_t material;
    // Records read before it in the block.
    uint32_t positions, textureCoords, normals;
    // The largest 1-based index of each kind among its corners (0: none).
    uint32_t mostV, mostVt, mostVn;
};

inline constexpr int32_t kInherited = -2;

struct Part {
    detail::LargeVector<Vector3D> positions, textureCoords, normals;
    // Empty until a "v" line of the block has a colour; then one a position,
    // NaN for those without.
    detail::LargeVector<Vector3D> colours;
    uint32_t firstColoured = 0; // the position whose colour began them
    // The positions whose colour was clamped, or was no number.
    std::vector<uint32_t> clampedColours, colourNotNumbers;
    detail::LargeVector<Corner> corners;
    detail::LargeVector<Element> elements;
    // Over all elements: whether they are faces of 3 corners or more with
    // positive indices and corner words only, and by how much the largest
    // index of each kind (position, texture, normal) goes beyond the records
    // before its element in the block. When all are faces and no index goes
    // beyond the model's records before the block, every corner is as written.
    bool plainFaces = true;
    int64_t beyond[3] = {INT64_MIN, INT64_MIN, INT64_MIN};
    uint64_t triangles = 0; // the faces', corners - 2 each
    // The names of the block's usemtl lines, in order; material is the one in
    // force at its end (an index into them, or kInherited).
    std::vector<std::string> useNames;
    int32_t material = kInherited;
    std::vector<std::string> libraries; // of its mtllib lines, in order
    bool named = false;                 // by its first "o" line
    std::string name;
    uint64_t unknownLines = 0;
    std::string firstUnknown; // the keyword, at most 40 characters

    // Replaces what the part holds by the block's lines.
    void read(const char* data, size_t size);
    size_t bytes() const { return blockBytes_; } // of its block

  private:
    size_t blockBytes_ = 0; // of the block being read
    void clear();
    void line(const char* begin, const char* end);
    void vertex(const char* p, const char* end);
    void element(ElementKind kind, const char* p, const char* end);
};

} // namespace mesh::detail
