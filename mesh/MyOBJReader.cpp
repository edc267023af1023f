// The OBJ reader: loadOBJFile, its line dispatcher and the record readers.
#include "diag/Diagnostics.h"
#include "mesh/MyOBJ.h"
#include "mesh/MyOBJDropped.h"
#include "mesh/ObjScan.h"

#include <cstdio>
#include <cstring>

using objscan::Scanner;

namespace {

constexpr size_t kMaxKeyword = 15;

template <size_t N> bool keywordIs(const char* word, size_t length, const char (&name)[N]) {
    return length == N - 1 && std::memcmp(word, name, N - 1) == 0;
}

void warnUnknownLine(const char* line, const char* end) {
    diag::out("\nWARNING: line type not known:\n(%.*s)\n\n", static_cast<int>(end - line), line);
}

} // namespace

void MyOBJ::beginOBJLoad() {
    mVertCount = 0;
    mTextureVertCount = 0;
    mFaceCount = 0;
    mNormalCount = 0;
    mMtlChangeCount = 0;
    mMaterialPropertyCount = -1;
    mCurrentMaterial = -1;
    mDropped = 0;
}

void MyOBJ::finishOBJLoad() {
    reportDropped(mDropped & ~meshdrop::kMaterials);
    diag::out("Object Loaded: %sv: %d, vt: %d, vn: %d, f: %d\n\n", objectName, mVertCount,
                mTextureVertCount, mNormalCount, mFaceCount);
    sortFaces();
    checkFaces();
    displayListDirty = true;
}

void MyOBJ::loadOBJFile(const char* fileName) {
    beginOBJLoad();
    std::FILE* file = std::fopen(fileName, "r");
    if (file) {
        diag::out("OBJ File Open: %s\n", fileName);
        objscan::forEachPieceOfStream(
            file, [this](const char* line, const char* end) { readOBJLine(line, end); });
    } else {
        diag::out("WARNING: OBJ File did not open: %s\n", fileName);
    }
    finishOBJLoad();
    if (file) {
        std::fclose(file);
    }
}

void MyOBJ::loadOBJText(std::string_view objText, std::string_view mtlText) {
    beginOBJLoad();
    mLibraryText = &mtlText;
    objscan::forEachPieceOfText(
        objText, [this](const char* line, const char* end) { readOBJLine(line, end); });
    mLibraryText = nullptr;
    finishOBJLoad();
}

void MyOBJ::readOBJLine(const char* line, const char* end) {
    Scanner scan{line, end};
    scan.skipSpace();
    const char* word = scan.p;
    if (!scan.word()) {
        return; // blank lines mean nothing
    }
    const size_t length = static_cast<size_t>(scan.p - word);
    if (length > kMaxKeyword) {
        warnUnknownLine(line, end);
        return;
    }
    switch (word[0]) {
    case 'v':
        if (length == 1) {
            readVertexLine(line, end, mVerts, mVertCount, meshdrop::kVerts);
            return;
        }
        if (keywordIs(word, length, "vt")) {
            readTextureVertexLine(line, end);
            return;
        }
        if (keywordIs(word, length, "vn")) {
            readVertexLine(line, end, mNormals, mNormalCount, meshdrop::kNormals);
            return;
        }
        break;
    case 'f':
        if (length == 1) {
            readFaceLine(line, end);
            return;
        }
        break;
    case 'u':
        if (keywordIs(word, length, "usemtl")) {
            readUseMtlLine(line, end);
            return;
        }
        break;
    case '#':
        if (length == 1) {
            return;
        }
        break;
    case 'm':
        if (keywordIs(word, length, "mtllib")) {
            // The library name is the next word only, as "%s %s" reads it.
            Scanner arg{scan.p, end};
            arg.skipSpace();
            const char* name = arg.p;
            arg.word();
            char fileName[objscan::kLineBuffer] = {};
            std::memcpy(fileName, name, static_cast<size_t>(arg.p - name));
            if (mLibraryText) {
                diag::out("MTL File Open: %s\n", fileName);
                loadMTLText(*mLibraryText);
            } else {
                loadMTLFile(fileName);
            }
            return;
        }
        break;
    case 'o':
        if (length == 1) {
            // By position in the raw line: from its third character on.
            const size_t lineLength = static_cast<size_t>(end - line);
            const size_t n = lineLength > 2 ? lineLength - 2 : 0;
            std::memcpy(objectName, line + 2, n);
            objectName[n] = '\0';
            return;
        }
        break;
    default:
        break;
    }
    warnUnknownLine(line, end);
}

void MyOBJ::readVertexLine(const char* line, const char* end, Vector3D* array, int32_t& count,
                           uint32_t droppedBit) {
    if (count >= kMaxVerts) {
        mDropped |= droppedBit;
        return;
    }
    Vector3D value{};
    Scanner scan{line, end};
    if (scan.word() && scan.real(value.x) && scan.real(value.y)) {
        scan.real(value.z);
    }
    if (scan.unsure) {
        value = Vector3D{};
        const objscan::LineCopy copy(line, end);
        char keyword[objscan::kLineBuffer + 1];
        std::sscanf(copy.text, "%s %f %f %f", keyword, &value.x, &value.y, &value.z);
    }
    array[count++] = value;
}

void MyOBJ::readTextureVertexLine(const char* line, const char* end) {
    if (mTextureVertCount >= kMaxVerts) {
        mDropped |= meshdrop::kTextureVerts;
        return;
    }
    float u = 0;
    float v = 0;
    Scanner scan{line, end};
    if (scan.word() && scan.real(u)) {
        scan.real(v);
    }
    if (scan.unsure) {
        u = 0;
        v = 0;
        const objscan::LineCopy copy(line, end);
        char keyword[objscan::kLineBuffer + 1];
        std::sscanf(copy.text, "%s %f %f", keyword, &u, &v);
    }
    // Image rows run top down, texture v bottom up.
    const float flipped = 1.0f - v;
    mTextureVerts[mTextureVertCount++] = Vector3D{u, flipped, 0.0f};
}

namespace {

enum class FaceNotation { PositionNormal, Full, PositionOnly };

// Fills the indices the way sscanf does with the notation's pattern: up to
// the first group that does not fit.
void scanFace(Scanner& scan, FaceNotation notation, int32_t* v, int32_t* vt, int32_t* vn) {
    if (!scan.word()) {
        return;
    }
    for (int corner = 0; corner < 4; ++corner) {
        scan.skipSpace();
        if (!scan.integer(v[corner])) {
            return;
        }
        switch (notation) {
        case FaceNotation::PositionNormal:
            if (!scan.literal('/') || !scan.literal('/') || !scan.integer(vn[corner])) {
                return;
            }
            break;
        case FaceNotation::Full:
            if (!scan.literal('/') || !scan.integer(vt[corner]) || !scan.literal('/') ||
                !scan.integer(vn[corner])) {
                return;
            }
            break;
        case FaceNotation::PositionOnly:
            break;
        }
    }
}

void scanFaceSlowly(const char* line, const char* end, FaceNotation notation, int32_t* v,
                    int32_t* vt, int32_t* vn) {
    const objscan::LineCopy copy(line, end);
    char keyword[objscan::kLineBuffer + 1];
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

namespace {

// An index that starts right here: a blank before it would make another word.
[[gnu::always_inline]] inline bool adjacentInteger(Scanner& scan, int32_t& out) {
    return scan.p < scan.end && !objscan::isSpace(*scan.p) && scan.integer(out);
}

// The common line whose every word after the keyword is a well-formed group
// of one notation. Then the word count and the slashes are known without a
// pass of their own, and the pattern's scan gives exactly these indices.
// False when the line is anything else; nothing is stored then.
bool scanFaceQuickly(const char* line, const char* end, int32_t& corners, int32_t* v, int32_t* vt,
                     int32_t* vn) {
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
        if (groups == 4 || !scan.integer(v[groups])) {
            return false;
        }
        FaceNotation shape = FaceNotation::PositionOnly;
        if (scan.literal('/')) {
            if (scan.literal('/')) {
                shape = FaceNotation::PositionNormal;
                if (!adjacentInteger(scan, vn[groups])) {
                    return false;
                }
            } else {
                shape = FaceNotation::Full;
                if (!adjacentInteger(scan, vt[groups]) || !scan.literal('/') ||
                    !adjacentInteger(scan, vn[groups])) {
                    return false;
                }
            }
        }
        if ((groups > 0 && shape != notation) || (scan.p < end && !objscan::isSpace(*scan.p))) {
            return false;
        }
        notation = shape;
        ++groups;
    }
    corners = groups;
    return groups >= 3 && !scan.unsure;
}

} // namespace

void MyOBJ::readFaceLine(const char* line, const char* end) {
    if (mFaceCount < kMaxFaces) {
        Face& face = mFaces[mFaceCount];
        int32_t corners = 0;
        int32_t indices[12] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
        if (scanFaceQuickly(line, end, corners, indices, indices + 4, indices + 8)) {
            face.verts = corners;
            std::memcpy(face.v, indices, sizeof face.v);
            std::memcpy(face.vt, indices + 4, sizeof face.vt);
            std::memcpy(face.vn, indices + 8, sizeof face.vn);
            ++mFaceCount;
            return;
        }
    }
    // The corner groups are the words after the keyword; the notation
    // follows from the slashes anywhere in the line.
    const objscan::WordsAndSlashes shape = objscan::countWordsAndSlashes(line, end);
    const int32_t words = shape.words;
    const int32_t corners = words > 0 ? words - 1 : 0;
    if (corners < 3 || corners > 4) {
        diag::out("WARNING: unsupported face (%d verts)\n", corners);
        return;
    }
    if (mFaceCount >= kMaxFaces) {
        mDropped |= meshdrop::kFaces;
        return;
    }
    const FaceNotation notation = shape.doubleSlash ? FaceNotation::PositionNormal
                                  : shape.slash     ? FaceNotation::Full
                                                    : FaceNotation::PositionOnly;
    Face& face = mFaces[mFaceCount];
    face.verts = corners;
    for (int i = 0; i < 4; ++i) {
        face.v[i] = -1;
        face.vt[i] = -1;
        face.vn[i] = -1;
    }
    Scanner scan{line, end};
    scanFace(scan, notation, face.v, face.vt, face.vn);
    if (scan.unsure) {
        for (int i = 0; i < 4; ++i) {
            face.v[i] = -1;
            face.vt[i] = -1;
            face.vn[i] = -1;
        }
        scanFaceSlowly(line, end, notation, face.v, face.vt, face.vn);
    }
    ++mFaceCount;
}

void MyOBJ::readVertex(const char* line) {
    readVertexLine(line, line + std::strlen(line), mVerts, mVertCount, meshdrop::kVerts);
}

void MyOBJ::readTextureVertex(const char* line) {
    readTextureVertexLine(line, line + std::strlen(line));
}

void MyOBJ::readNormal(const char* line) {
    readVertexLine(line, line + std::strlen(line), mNormals, mNormalCount, meshdrop::kNormals);
}

void MyOBJ::readFace(const char* line) {
    readFaceLine(line, line + std::strlen(line));
}
