// One polygon mesh read from a Wavefront OBJ file with its MTL materials,
// held in fixed-capacity arrays inside the object and drawn through two
// cached display lists.
//
// The record is about 45 MB: create it on the heap, zero-filled, with
// std::make_unique<MyOBJ>(), never on the stack.
//
// Every drawing function touches GL and runs on the thread whose context is
// current (the main thread in the application).
#pragma once

#include "math/Vector3D.h"
#include "mesh/FileSource.h"

#include <cstdint>
#include <string_view>

// One "f" line: a triangle or a quad. Indices are 1-based as written in the
// file; -1 where the line gave none.
struct Face {
    int32_t verts{};
    int32_t v[4]{};
    int32_t vt[4]{};
    int32_t vn[4]{};
};

// One "newmtl" entry. The name keeps the line terminator of its line.
struct MaterialProperties {
    char name[255]{};
    float Ns{};
    float Ka[3]{};
    float Kd[3]{};
    float Ks[3]{};
};

// From the face startingFace on, material materialIndex is in force.
// A "usemtl" that names no loaded material records materialIndex -1: its
// faces are drawn with the material state the drawing started with.
struct MtlChange {
    int32_t startingFace{};
    int32_t materialIndex{};
};

class MyOBJ {
  public:
    static constexpr int32_t kMaxVerts = 500000;
    static constexpr int32_t kMaxFaces = 500000;
    static constexpr int32_t kMaxMaterials = 16;
    static constexpr int32_t kMaxMtlChanges = 1000;
    static constexpr int32_t kNameSize = 255;

    MyOBJ();
    MyOBJ(const MyOBJ&) = delete;
    MyOBJ& operator=(const MyOBJ&) = delete;

    bool rendersSmooth() const { return mRendersSmooth; }
    bool rendersFaces() const { return mRendersFaces; }
    bool rendersWireframes() const { return mRendersWireframes; }
    bool rendersNormals() const { return mRendersNormals; }
    bool rendersTextures() const { return mRendersTextures; }
    bool rendersMaterials() const { return mRendersMaterials; }

    // Each marks the display lists dirty only when the value changes.
    void setRendersSmooth(bool yn);
    void setRendersFaces(bool yn);
    void setRendersWireframes(bool yn);
    void setRendersNormals(bool yn);
    void setRendersTextures(bool yn);
    void setRendersMaterials(bool yn);

    // Replaces the model by the file's content; reports on standard output.
    // The model and the libraries it names come from files, or from the source.
    void loadOBJFile(const char* fileName, const mesh::FileSource& files = mesh::systemFiles());
    // The model from text as the file "(text)"; every library it names reads mtlText.
    void loadOBJText(std::string_view objText, std::string_view mtlText = {});

    // One whole line each (NUL-terminated), read as a line of an OBJ file is.
    // The readers themselves take the lines in place (readOBJLine); these are
    // for a caller with one line in hand.
    void readVertex(const char* line);
    void readTextureVertex(const char* line);
    void readNormal(const char* line);
    void readFace(const char* line);

    // Bytes a load reads at a time. Unless readsInParallel is false (or the
    // environment variable DRAVIN_READ_THREADS is 1), a file of more than one
    // block is read on every core, a block each; the model and the messages
    // are the same either way.
    size_t readBlockBytes = size_t{1} << 20;
    bool readsInParallel = true;

    // Replaces the materials by those of the library.
    void loadMTLFile(const char* fileName, const mesh::FileSource& files = mesh::systemFiles());

    // One whole line each (NUL-terminated), read as a line of an MTL file
    // (readUseMtl: of an OBJ file) is. The readers take their lines in place
    // (readMTLLine, readOBJLine); these are for a caller with one line in hand.
    void newMaterial(const char* line);
    void readShininess(const char* line);
    void readAmbient(const char* line);
    void readDiffuse(const char* line);
    void readSpecular(const char* line);
    void readUseMtl(const char* line);

    // Groups the faces by material (stable), one change record per material.
    // Faces without a loaded material come first, before the first change, so
    // that the filled-face routines draw them under the caller's material.
    void sortFaces();

    // Draws the model through the display lists, rebuilding them when dirty.
    // Leaves every GL attribute as it found it; needs two free levels of the
    // attribute stack.
    void render();

    void renderModelAsPoints();
    void renderModelAsFlatNormals();
    void renderModelAsSmoothNormals();
    void renderModelAsFramePolys();

    // The filled faces. Each leaves the last material it applied and the last
    // corner's normal (and texture coordinate) in the context; it pushes no
    // attributes of its own.
    void renderModelAsFlatPolys();
    void renderModelAsFlatTexturedPolys();
    void renderModelAsSmoothPolys();
    void renderModelAsSmoothTexturedPolys();

    int32_t displayListName() const { return displayList; }
    int32_t wireframeDisplayListName() const { return wireframeDisplayList; }

  private:
    bool mRendersSmooth{};
    bool mRendersFaces{};
    bool mRendersWireframes{};
    bool mRendersNormals{};
    bool mRendersTextures{};
    bool mRendersMaterials{};

  public:
    bool displayListDirty{};
    char objectName[kNameSize]{};

    Vector3D mVerts[kMaxVerts]{};
    int32_t mVertCount{};
    Vector3D mNormals[kMaxVerts]{};
    int32_t mNormalCount{};
    Vector3D mTextureVerts[kMaxVerts]{};
    int32_t mTextureVertCount{};
    Face mFaces[kMaxFaces]{};
    int32_t mFaceCount{};
    MaterialProperties mMaterialProperties[kMaxMaterials]{};
    int32_t mMaterialPropertyCount{};
    MtlChange mMtlChanges[kMaxMtlChanges]{};
    int32_t mMtlChangeCount{};

  private:
    int32_t displayList{};
    int32_t wireframeDisplayList{};

    // Kinds of record dropped at a full array since the load began.
    uint32_t mDropped{};
    // The material that property lines write into; -1 when there is none.
    int32_t mCurrentMaterial{};
    // While a load runs: where "mtllib" lines read their libraries.
    const mesh::FileSource* mFiles{};

    void beginOBJLoad();
    void finishOBJLoad();
    void readOBJFile(void* file);
    void readOBJLine(const char* line, const char* end);
    void readMtlLibLine(const char* line, const char* end);
    void readMTLLine(const char* line, const char* end);
    void readVertexLine(const char* line, const char* end, Vector3D* array, int32_t& count,
                        uint32_t droppedBit);
    void readTextureVertexLine(const char* line, const char* end);
    void readFaceLine(const char* line, const char* end);
    void newMaterialLine(const char* line, const char* end);
    void readColourLine(const char* line, const char* end, float* rgb);
    void readShininessLine(const char* line, const char* end);
    void readUseMtlLine(const char* line, const char* end);
    void reportDropped(uint32_t kinds);
    void applyMaterial(int32_t mtlChangeIndex, unsigned mode);
    template <bool Textured, bool Smooth> void renderPolys();
    template <class F> void drawFaceLines(F&& f);
};
