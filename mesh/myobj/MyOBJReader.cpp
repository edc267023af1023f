// The OBJ reader: loadOBJFile, its line dispatcher and the record readers.
#include "diag/Diagnostics.h"
#include "mesh/MyOBJ.h"
#include "mesh/myobj/MyOBJDropped.h"
#include "mesh/myobj/ObjRecords.h"
#include "mesh/scan/ObjScan.h"
#include "mesh/scan/TextBlocks.h"

#include <algorithm>
#include <cstring>
#include <vector>

using mesh::detail::LineKind;

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
    reportDropped(mDropped & ~mesh::detail::kDroppedMaterials);
    // objectName is public: a caller may have left it without its NUL.
    diag::out("Object Loaded: %.*sv: %d, vt: %d, vn: %d, f: %d\n\n",
              static_cast<int>(strnlen(objectName, kNameSize)), objectName, mVertCount,
              mTextureVertCount, mNormalCount, mFaceCount);
    sortFaces();
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

namespace {

// Appends count records to a full-capacity array; false when some did not fit.
template <class T>
bool appendRecords(const T* from, uint32_t count, T* array, int32_t& arrayCount, int32_t capacity) {
    const int32_t n = std::min(int32_t(count), capacity - arrayCount);
    std::copy(from, from + n, array + arrayCount);
    arrayCount += n;
    return n == int32_t(count);
}

} // namespace

// The file in blocks of whole pieces. A block read ahead leaves its batch of
// records and, in order between them, the lines this thread reads itself: so
// the model and the messages are those of one thread reading the file from
// start to end.
void MyOBJ::readOBJFile(void* file) {
    using mesh::detail::Batch;
    struct Reader final : mesh::detail::BlockReader {
        MyOBJ& obj;
        std::vector<Batch> batches;
        explicit Reader(MyOBJ& o) : obj(o) {}

        size_t lastLineEnd(const char* data, size_t size) override {
            return mesh::detail::lastPieceEnd(data, size);
        }
        void useParts(size_t parts) override { batches.resize(parts); }
        void readInOrder(size_t, const char* data, size_t size) override {
            mesh::detail::forEachPiece(data, size, true, [this](const char* line, const char* end) {
                obj.readOBJLine(line, end);
            });
        }
        void readAhead(size_t part, const char* data, size_t size) override {
            batches[part].read(data, size);
        }
        // The batch's records up to each left line's marks, then that line.
        void takePart(size_t part) override {
            const Batch& b = batches[part];
            uint32_t taken[Batch::kRecordKinds] = {};
            const auto appendUpTo = [&](const uint32_t* marks) {
                const auto add = [&](Batch::Record kind, const auto& from, auto* array,
                                     int32_t& count, int32_t capacity, uint32_t droppedBit) {
                    if (!appendRecords(from.data() + taken[kind], marks[kind] - taken[kind], array,
                                       count, capacity))
                        obj.mDropped |= droppedBit;
                    taken[kind] = marks[kind];
                };
                add(Batch::kVertex, b.verts, obj.mVerts, obj.mVertCount, kMaxVerts,
                    mesh::detail::kDroppedVerts);
                add(Batch::kTextureVertex, b.textureVerts, obj.mTextureVerts, obj.mTextureVertCount,
                    kMaxVerts, mesh::detail::kDroppedTextureVerts);
                add(Batch::kNormal, b.normals, obj.mNormals, obj.mNormalCount, kMaxVerts,
                    mesh::detail::kDroppedNormals);
                add(Batch::kFace, b.faces, obj.mFaces, obj.mFaceCount, kMaxFaces,
                    mesh::detail::kDroppedFaces);
            };
            for (const Batch::LeftLine& l : b.left) {
                appendUpTo(l.marks);
                obj.readOBJLine(l.line, l.end);
            }
            appendUpTo(b.counts);
        }
    } reader(*this);
    mesh::detail::Settings settings;
    settings.blockBytes = readBlockBytes;
    settings.threads = readsInParallel ? 0 : 1;
    mesh::detail::read(*mFiles, file, reader, settings);
}

void MyOBJ::loadOBJText(std::string_view objText, std::string_view mtlText) {
    mesh::TextFiles text(objText, mtlText);
    loadOBJFile(mesh::TextFiles::kModelName, text.source());
}

void MyOBJ::readOBJLine(const char* line, const char* end) {
    switch (mesh::detail::kindOf(line, end)) {
    case LineKind::Blank:
    case LineKind::Comment:
        return;
    case LineKind::Vertex:
        readVertexLine(line, end, mVerts, mVertCount, mesh::detail::kDroppedVerts);
        return;
    case LineKind::TextureVertex:
        readTextureVertexLine(line, end);
        return;
    case LineKind::Normal:
        readVertexLine(line, end, mNormals, mNormalCount, mesh::detail::kDroppedNormals);
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
    const mesh::detail::Keyword keyword = mesh::detail::keywordOf(line, end);
    const mesh::detail::Keyword name = mesh::detail::keywordOf(keyword.begin + keyword.length, end);
    if (name.length == 0) {
        diag::warning("mtllib names no file; the materials stay as they are\n");
        return;
    }
    char fileName[mesh::detail::kLineBuffer] = {};
    std::memcpy(fileName, name.begin, name.length);
    loadMTLFile(fileName, *mFiles);
}

void MyOBJ::readVertexLine(const char* line, const char* end, Vector3D* array, int32_t& count,
                           uint32_t droppedBit) {
    count = std::max(count, int32_t{0}); // a count a caller set below 0 holds none
    if (count >= kMaxVerts) {
        mDropped |= droppedBit;
        return;
    }
    array[count++] = mesh::detail::scanVertex(line, end);
}

void MyOBJ::readTextureVertexLine(const char* line, const char* end) {
    mTextureVertCount = std::max(mTextureVertCount, int32_t{0});
    if (mTextureVertCount >= kMaxVerts) {
        mDropped |= mesh::detail::kDroppedTextureVerts;
        return;
    }
    mTextureVerts[mTextureVertCount++] = mesh::detail::scanTextureVertex(line, end);
}

void MyOBJ::readFaceLine(const char* line, const char* end) {
    mFaceCount = std::max(mFaceCount, int32_t{0});
    if (mFaceCount < kMaxFaces && mesh::detail::scanFaceQuickly(line, end, mFaces[mFaceCount])) {
        ++mFaceCount;
        return;
    }
    const int32_t corners = mesh::detail::faceCorners(line, end);
    if (corners < 3 || corners > 4) {
        diag::out("WARNING: unsupported face (%d verts)\n", corners);
        return;
    }
    if (mFaceCount >= kMaxFaces) {
        mDropped |= mesh::detail::kDroppedFaces;
        return;
    }
    mesh::detail::scanFace(line, end, mFaces[mFaceCount++]);
}

void MyOBJ::readVertex(const char* line) {
    readVertexLine(line, line + std::strlen(line), mVerts, mVertCount, mesh::detail::kDroppedVerts);
}

void MyOBJ::readTextureVertex(const char* line) {
    readTextureVertexLine(line, line + std::strlen(line));
}

void MyOBJ::readNormal(const char* line) {
    readVertexLine(line, line + std::strlen(line), mNormals, mNormalCount,
                   mesh::detail::kDroppedNormals);
}

void MyOBJ::readFace(const char* line) {
    readFaceLine(line, line + std::strlen(line));
}
