// The line kinds of the OBJ reader and the scans of its record lines.
#include "mesh/myobj/ObjRecords.h"

#include "mesh/scan/ObjScan.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace mesh::detail {

LineKind kindOf(const char* line, const char* end) {
    const Keyword word = keywordOf(line, end);
    if (word.length == 0) {
        return LineKind::Blank; // blank lines mean nothing
    }
    if (word.length > Keyword::kMaxLength) {
        return LineKind::Unknown;
    }
    switch (word.begin[0]) {
    case 'v':
        return word.length == 1 ? LineKind::Vertex
               : word.is("vt")  ? LineKind::TextureVertex
               : word.is("vn")  ? LineKind::Normal
                                : LineKind::Unknown;
    case 'f':
        return word.length == 1 ? LineKind::Face : LineKind::Unknown;
    case '#':
        return word.length == 1 ? LineKind::Comment : LineKind::Unknown;
    case 'u':
        return word.is("usemtl") ? LineKind::UseMtl : LineKind::Unknown;
    case 'm':
        return word.is("mtllib") ? LineKind::MtlLib : LineKind::Unknown;
    case 'o':
        return word.length == 1 ? LineKind::Object : LineKind::Unknown;
    default:
        return LineKind::Unknown;
    }
}

bool scanVertexQuickly(const char* line, const char* end, Vector3D& out) {
    Vector3D value{};
    Scanner scan{line, end};
    if (scan.word() && scan.real(value.x) && scan.real(value.y)) {
        scan.real(value.z);
    }
    out = value;
    return !scan.unsure;
}

Vector3D scanVertex(const char* line, const char* end) {
    Vector3D value{};
    if (!scanVertexQuickly(line, end, value)) {
        value = Vector3D{};
        const LineCopy copy(line, end);
        char keyword[kLineBuffer + 1];
        std::sscanf(copy.text, "%s %f %f %f", keyword, &value.x, &value.y, &value.z);
    }
    return value;
}

namespace {

// Image rows run top down, texture v bottom up.
Vector3D textureVertex(float u, float v) {
    const float flipped = 1.0f - v;
    return Vector3D{u, flipped, 0.0f};
}

} // namespace

bool scanTextureVertexQuickly(const char* line, const char* end, Vector3D& out) {
    float u = 0;
    float v = 0;
    Scanner scan{line, end};
    if (scan.word() && scan.real(u)) {
        scan.real(v);
    }
    out = textureVertex(u, v);
    return !scan.unsure;
}

Vector3D scanTextureVertex(const char* line, const char* end) {
    Vector3D value{};
    if (scanTextureVertexQuickly(line, end, value)) {
        return value;
    }
    float u = 0;
    float v = 0;
    const LineCopy copy(line, end);
    char keyword[kLineBuffer + 1];
    std::sscanf(copy.text, "%s %f %f", keyword, &u, &v);
    return textureVertex(u, v);
}

namespace {

enum class FaceNotation { PositionNormal, Full, PositionOnly };

// An index that starts right here: a blank before it would make another word.
[[gnu::always_inline]] inline bool adjacentInteger(Scanner& scan, int32_t& out) {
    return scan.p < scan.end && !isSpace(*scan.p) && scan.integer(out);
}

void clearIndices(Face& face) {
    for (int i = 0; i < 4; ++i) {
        face.v[i] = -1;
        face.vt[i] = -1;
        face.vn[i] = -1;
    }
}

// Fills the indices the way sscanf does with the notation's pattern: up to
// the first group that does not fit.
void scanGroups(Scanner& scan, FaceNotation notation, Face& face) {
    if (!scan.word()) {
        return;
    }
    for (int corner = 0; corner < 4; ++corner) {
        scan.skipSpace();
        if (!scan.integer(face.v[corner])) {
            return;
        }
        switch (notation) {
        case FaceNotation::PositionNormal:
            if (!scan.literal('/') || !scan.literal('/') || !scan.integer(face.vn[corner])) {
                return;
            }
            break;
        case FaceNotation::Full:
            if (!scan.literal('/') || !scan.integer(face.vt[corner]) || !scan.literal('/') ||
                !scan.integer(face.vn[corner])) {
                return;
            }
            break;
        case FaceNotation::PositionOnly:
            break;
        }
    }
}

void scanGroupsSlowly(const char* line, const char* end, FaceNotation notation, Face& f) {
    const LineCopy copy(line, end);
    char keyword[kLineBuffer + 1];
    int32_t *v = f.v, *vt = f.vt, *vn = f.vn;
    switch (notation) {
    case FaceNotation::PositionNormal:
        std::sscanf(copy.text, "%s %d//%d %d//%d %d//%d %d//%d", keyword, &v[0], &vn[0], &v[1],
                    &vn[1], &v[2], &vn[2], &v[3], &vn[3]);
        break;
    case FaceNotation::Full:
        std::sscanf(copy.text, "%s %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d", keyword, &v[0], &vt[0],
                    &vn[0], &v[1], &vt[1], &vn[1], &v[2], &vt[2], &vn[2], &v[3], &vt[3], &vn[3]);
        break;
    case FaceNotation::PositionOnly:
        std::sscanf(copy.text, "%s %d %d %d %d", keyword, &v[0], &v[1], &v[2], &v[3]);
        break;
    }
}

} // namespace

// The common line whose every word after the keyword is a well-formed group
// of one notation. Then the word count and the slashes are known without a
// pass of their own, and the pattern's scan gives exactly these indices.
bool scanFaceQuickly(const char* line, const char* end, Face& face) {
    Face out;
    clearIndices(out);
    Scanner scan{line, end};
    scan.skipSpace();
    const char* keyword = scan.p;
    scan.word();
    if (std::memchr(keyword, '/', static_cast<size_t>(scan.p - keyword))) {
        return false; // a slash in the keyword still chooses the notation
    }
    FaceNotation notation = FaceNotation::PositionOnly;
    int32_t groups = 0;
    for (;;) {
        scan.skipSpace();
        if (scan.p == end) {
            break;
        }
        if (groups == 4 || !scan.integer(out.v[groups])) {
            return false;
        }
        FaceNotation shape = FaceNotation::PositionOnly;
        if (scan.literal('/')) {
            if (scan.literal('/')) {
                shape = FaceNotation::PositionNormal;
                if (!adjacentInteger(scan, out.vn[groups])) {
                    return false;
                }
            } else {
                shape = FaceNotation::Full;
                if (!adjacentInteger(scan, out.vt[groups]) || !scan.literal('/') ||
                    !adjacentInteger(scan, out.vn[groups])) {
                    return false;
                }
            }
        }
        if ((groups > 0 && shape != notation) || (scan.p < end && !isSpace(*scan.p))) {
            return false;
        }
        notation = shape;
        ++groups;
    }
    if (groups < 3 || scan.unsure) {
        return false;
    }
    out.verts = groups;
    face = out;
    return true;
}

int32_t faceCorners(const char* line, const char* end) {
    const int32_t words = countWordsAndSlashes(line, end).words;
    return words > 0 ? words - 1 : 0;
}

void scanFace(const char* line, const char* end, Face& face) {
    // The notation follows from the slashes anywhere in the line.
    const WordsAndSlashes shape = countWordsAndSlashes(line, end);
    const FaceNotation notation = shape.doubleSlash ? FaceNotation::PositionNormal
                                  : shape.slash     ? FaceNotation::Full
                                                    : FaceNotation::PositionOnly;
    face.verts = shape.words - 1;
    clearIndices(face);
    Scanner scan{line, end};
    scanGroups(scan, notation, face);
    if (scan.unsure) {
        clearIndices(face);
        scanGroupsSlowly(line, end, notation, face);
    }
}

namespace {

// The next record of a batch's list, scanned in place; false leaves the line.
template <class T, class Scan>
bool take(RawArray<T>& list, uint32_t& count, const char* line, const char* end, size_t blockBytes,
          Scan scanQuickly) {
    // The first room is a large part of the block at once: for a large
    // block, in large pages.
    if (count == list.capacity())
        list.reserve(
            std::max(std::min(blockBytes, size_t{1} << 20) / sizeof(T) + 16, 2 * list.capacity()),
            count);
    if (!scanQuickly(line, end, list.data()[count]))
        return false;
    ++count;
    return true;
}

} // namespace

void Batch::read(const char* data, size_t size) {
    std::fill(std::begin(counts), std::end(counts), 0);
    left.clear();
    forEachPiece(data, size, true, [this, size](const char* line, const char* end) {
        bool taken = false;
        switch (kindOf(line, end)) {
        case LineKind::Blank:
        case LineKind::Comment:
            return;
        case LineKind::Vertex:
            taken = take(verts, counts[kVertex], line, end, size, scanVertexQuickly);
            break;
        case LineKind::TextureVertex:
            taken = take(textureVerts, counts[kTextureVertex], line, end, size,
                         scanTextureVertexQuickly);
            break;
        case LineKind::Normal:
            taken = take(normals, counts[kNormal], line, end, size, scanVertexQuickly);
            break;
        case LineKind::Face:
            taken = take(faces, counts[kFace], line, end, size, scanFaceQuickly);
            break;
        default:
            break;
        }
        if (!taken) {
            LeftLine& l = left.emplace_back();
            l.line = line;
            l.end = end;
            std::copy(std::begin(counts), std::end(counts), l.marks);
        }
    });
}

} // namespace mesh::detail
