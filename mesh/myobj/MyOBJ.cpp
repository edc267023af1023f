// Creation defaults, the render flags and the capacity warnings.
#include "mesh/MyOBJ.h"
#include "diag/Diagnostics.h"
#include "mesh/myobj/MyOBJDropped.h"

#include <cstdio>

MyOBJ::MyOBJ()
    : mRendersSmooth(true), mRendersFaces(true), mRendersWireframes(true), mRendersNormals(true),
      mRendersTextures(true), mRendersMaterials(true), displayListDirty(true), displayList(-1),
      wireframeDisplayList(-1), mCurrentMaterial(-1) {}

namespace {

void setFlag(bool& flag, bool yn, bool& dirty) {
    if (flag != yn) {
        dirty = true;
    }
    flag = yn;
}

} // namespace

void MyOBJ::setRendersSmooth(bool yn) {
    setFlag(mRendersSmooth, yn, displayListDirty);
}

void MyOBJ::setRendersFaces(bool yn) {
    setFlag(mRendersFaces, yn, displayListDirty);
}

void MyOBJ::setRendersWireframes(bool yn) {
    setFlag(mRendersWireframes, yn, displayListDirty);
}

void MyOBJ::setRendersNormals(bool yn) {
    setFlag(mRendersNormals, yn, displayListDirty);
}

void MyOBJ::setRendersTextures(bool yn) {
    setFlag(mRendersTextures, yn, displayListDirty);
}

void MyOBJ::setRendersMaterials(bool yn) {
    setFlag(mRendersMaterials, yn, displayListDirty);
}

void MyOBJ::reportDropped(uint32_t kinds) {
    struct Kind {
        uint32_t bit;
        const char* name;
        int32_t capacity;
    };
    static constexpr Kind kKinds[] = {
        {mesh::detail::kDroppedVerts, "vertices", kMaxVerts},
        {mesh::detail::kDroppedTextureVerts, "texture vertices", kMaxVerts},
        {mesh::detail::kDroppedNormals, "normals", kMaxVerts},
        {mesh::detail::kDroppedFaces, "faces", kMaxFaces},
        {mesh::detail::kDroppedMtlChanges, "material changes", kMaxMtlChanges},
        {mesh::detail::kDroppedMaterials, "materials", kMaxMaterials},
    };
    for (const Kind& kind : kKinds) {
        if (kinds & kind.bit) {
            diag::warning("more than %d %s, the rest dropped\n", kind.capacity, kind.name);
        }
    }
}
