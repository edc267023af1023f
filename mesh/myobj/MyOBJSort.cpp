// Regrouping faces by material.
#include "diag/Diagnostics.h"
#include "mesh/MyOBJ.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

int32_t clampCount(int32_t count, int32_t capacity) {
    return std::clamp(count, int32_t{0}, capacity);
}

void warnNoMemory(int32_t faceCount) {
    diag::warning("no memory to sort %d faces by material\n", faceCount);
}

} // namespace

void MyOBJ::sortFaces() {
    const int32_t changeCount = clampCount(mMtlChangeCount, kMaxMtlChanges);
    if (changeCount == 0) {
        return; // no "usemtl": file order stays
    }
    const int32_t faceCount = clampCount(mFaceCount, kMaxFaces);
    const int32_t materialCount = clampCount(mMaterialPropertyCount, kMaxMaterials);
    // Faces with no loaded material go to one group before all others, with
    // no change of its own: the routines draw it before they apply any
    // material, under the caller's.
    const int32_t orphanGroup = 0;

    MtlChange changes[kMaxMtlChanges];
    std::copy(mMtlChanges, mMtlChanges + changeCount, changes);

    // Scratch sized to the faces, not to a fixed guess. Without memory the
    // faces keep file order, and the change list as read still draws right.
    const std::unique_ptr<uint8_t[]> group(new (std::nothrow) uint8_t[faceCount]);
    if (!group) {
        warnNoMemory(faceCount);
        return;
    }
    int32_t groupSize[kMaxMaterials + 1] = {};
    int32_t currentMaterial = -1;
    int32_t change = 0;
    bool inOrder = true;
    for (int32_t face = 0; face < faceCount; ++face) {
        // The last of several changes at one face decides, as the last "usemtl" does.
        while (change < changeCount && changes[change].startingFace == face) {
            currentMaterial = changes[change].materialIndex;
            ++change;
        }
        const int32_t g = currentMaterial >= 0 && currentMaterial < materialCount
                              ? currentMaterial + 1
                              : orphanGroup;
        inOrder = inOrder && (face == 0 || g >= group[face - 1]);
        group[face] = static_cast<uint8_t>(g);
        ++groupSize[g];
    }

    int32_t groupStart[kMaxMaterials + 1] = {};
    for (int32_t g = 1; g <= materialCount; ++g) {
        groupStart[g] = groupStart[g - 1] + groupSize[g - 1];
    }
    if (!inOrder) {
        // Uninitialised: every entry is copied over at once.
        const size_t bytes = sizeof(Face) * static_cast<size_t>(faceCount);
        const std::unique_ptr<Face, decltype(&std::free)> fileOrder(
            static_cast<Face*>(std::malloc(bytes)), &std::free);
        if (!fileOrder) {
            warnNoMemory(faceCount);
            return;
        }
        std::memcpy(fileOrder.get(), mFaces, bytes);
        int32_t next[kMaxMaterials + 1];
        std::copy(groupStart, groupStart + materialCount + 1, next);
        for (int32_t face = 0; face < faceCount; ++face) {
            mFaces[next[group[face]]++] = fileOrder.get()[face];
        }
    }
    for (int32_t m = 0; m < materialCount; ++m) {
        mMtlChanges[m] = MtlChange{groupStart[m + 1], m};
    }
    mMtlChangeCount = materialCount;
    mFaceCount = faceCount;
}
