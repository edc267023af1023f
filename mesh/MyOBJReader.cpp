// The OBJ reader: loadOBJFile, its line dispatcher and the record readers.
#include "diag/Diagnostics.h"
#include "mesh/MyOBJ.h"
#include "mesh/MyOBJDropped.h"
#include "mesh/ObjRecords.h"
#include "mesh/ObjScan.h"

#include <cstring>

using objrecords::LineKind;

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

void MyOBJ::loadOBJFile(const char* fileName, const mesh::FileSource& files) {
    beginOBJLoad();
    void* file = files.open(fileName, files.user);
    if (file) {
        diag::out("OBJ File Open: %s\n", fileName);
        mFiles = &files;
        readOBJFile(file);
        mFiles = nullptr;
        files.close(file, files.user);
    } else {
        diag::out("WARNING: OBJ File did not open: %s\n", fileName);
    }
    finishOBJLoad();
}

void MyOBJ::loadOBJText(std::string_view objText, std::string_view mtlText) {
    mesh::TextFiles text(objText, mtlText);
    loadOBJFile(mesh::TextFiles::kModelName, text.source());
}

void MyOBJ::readOBJLine(const char* line, const char* end) {
    switch (objrecords::kindOf(line, end)) {
    case LineKind::Blank:
    case LineKind::Comment:
        return;
    case LineKind::Vertex:
        readVertexLine(line, end, mVerts, mVertCount, meshdrop::kVerts);
        return;
    case LineKind::TextureVertex:
        readTextureVertexLine(line, end);
        return;
    case LineKind::Normal:
        readVertexLine(line, end, mNormals, mNormalCount, meshdrop::kNormals);
        return;
    case LineKind::Face:
        readFaceLine(line, end);
        return;
    case LineKind::UseMtl:
        readUseMtlLine(line, end);
        return;
    case LineKind::MtlLib:
        readMtlLibLine(line, end);
        return;
    case LineKind::Object: {
        // By position in the raw line: from its third character on.
        const size_t lineLength = static_cast<size_t>(end - line);
        const size_t n = lineLength > 2 ? lineLength - 2 : 0;
        std::memcpy(objectName, line + 2, n);
        objectName[n] = '\0';
        return;
    }
    case LineKind::Unknown:
        break;
    }
    diag::out("\nWARNING: line type not known:\n(%.*s)\n\n", static_cast<int>(end - line), line);
}

void MyOBJ::readMtlLibLine(const char* line, const char* end) {
    // The library name is the next word only, as "%s %s" reads it.
    const objscan::Keyword keyword = objscan::keywordOf(line, end);
    const objscan::Keyword name = objscan::keywordOf(keyword.begin + keyword.length, end);
    if (name.length == 0) {
        diag::out("WARNING: mtllib names no file; the materials stay as they are\n");
        return;
    }
    char fileName[objscan::kLineBuffer] = {};
    std::memcpy(fileName, name.begin, name.length);
    loadMTLFile(fileName, *mFiles);
}

void MyOBJ::readVertexLine(const char* line, const char* end, Vector3D* array, int32_t& count,
                           uint32_t droppedBit) {
    if (count >= kMaxVerts) {
        mDropped |= droppedBit;
        return;
    }
    array[count++] = objrecords::scanVertex(line, end);
}

void MyOBJ::readTextureVertexLine(const char* line, const char* end) {
    if (mTextureVertCount >= kMaxVerts) {
        mDropped |= meshdrop::kTextureVerts;
        return;
    }
    mTextureVerts[mTextureVertCount++] = objrecords::scanTextureVertex(line, end);
}

void MyOBJ::readFaceLine(const char* line, const char* end) {
    if (mFaceCount < kMaxFaces && objrecords::scanFaceQuickly(line, end, mFaces[mFaceCount])) {
        ++mFaceCount;
        return;
    }
    const int32_t corners = objrecords::faceCorners(line, end);
    if (corners < 3 || corners > 4) {
        diag::out("WARNING: unsupported face (%d verts)\n", corners);
        return;
    }
    if (mFaceCount >= kMaxFaces) {
        mDropped |= meshdrop::kFaces;
        return;
    }
    objrecords::scanFace(line, end, mFaces[mFaceCount++]);
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
