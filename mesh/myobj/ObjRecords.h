// Internal to the OBJ reader: what kind a line is, and the scans of its
// record lines. Pure functions of the line, so that a block read ahead on
// another thread gives exactly what the reader gives.
#pragma once

#include "mesh/MyOBJ.h"
#include "mesh/scan/TextBlocks.h"

#include <cstddef>
#include <vector>

namespace mesh::detail {

enum class LineKind {
    Blank,
    Comment,
    Vertex,
    TextureVertex,
    Normal,
    Face,
    UseMtl,
    MtlLib,
    Object,
    Unknown
};

LineKind kindOf(const char* line, const char* end);

// The quick scans: false when only the C library's scanner can say what the
// line holds. The exact scans always answer.
bool scanVertexQuickly(const char* line, const char* end, Vector3D& out);
Vector3D scanVertex(const char* line, const char* end);
// Texture vertices as stored: u, 1 - v, 0.
bool scanTextureVertexQuickly(const char* line, const char* end, Vector3D& out);
Vector3D scanTextureVertex(const char* line, const char* end);

// The common well-formed triangle or quad; false leaves face untouched.
bool scanFaceQuickly(const char* line, const char* end, Face& face);
// The corner count of any face line: the words after the keyword.
int32_t faceCorners(const char* line, const char* end);
// Any face line of 3 or 4 corners, as the notation's scanf pattern reads it.
void scanFace(const char* line, const char* end, Face& face);

// A block read ahead of the model: the records the quick scans take and, in
// order between them, the lines left to the reader itself (those that print,
// read a library, change materials or need the C library's scanner).
struct Batch {
    enum Record { kVertex, kTextureVertex, kNormal, kFace, kRecordKinds };

    struct LeftLine {
        const char* line;
        const char* end;
        uint32_t marks[kRecordKinds]; // records of each kind scanned before it
    };

    detail::RawArray<Vector3D> verts, textureVerts, normals;
    detail::RawArray<Face> faces;
    uint32_t counts[kRecordKinds]{}; // records of each kind in the arrays
    std::vector<LeftLine> left;

    // The pieces of the block; its lines stay where they are.
    void read(const char* data, size_t size);
};

} // namespace mesh::detail
