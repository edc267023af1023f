// Internal to the OBJ reader: what kind a line is, and the scans of its
// record lines. Pure functions of the line, so that the helper thread of a
// large load gives exactly what the reader gives.
#pragma once

#include "mesh/MyOBJ.h"

namespace objrecords {

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

} // namespace objrecords
