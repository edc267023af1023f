// The per-face checks the renderers trust: which faces and corners name
// loaded records, so that no drawing reads outside the arrays.
#include "mesh/MyOBJ.h"
#include "mesh/myobj/FaceChecks.h"

#include <algorithm>

namespace {

int32_t clampCount(int32_t count, int32_t capacity) {
    return std::clamp(count, int32_t{0}, capacity);
}

} // namespace

void MyOBJ::checkFaces() {
    const int32_t faceCount = clampCount(mFaceCount, kMaxFaces);
    const int32_t vertCount = clampCount(mVertCount, kMaxVerts);
    const int32_t textureCount = clampCount(mTextureVertCount, kMaxVerts);
    const int32_t normalCount = clampCount(mNormalCount, kMaxVerts);
    auto inside = [](int32_t index, int32_t count) { return index >= 1 && index <= count; };
    for (int32_t n = 0; n < faceCount; ++n) {
        const Face& face = mFaces[n];
        uint16_t checks = 0;
        if (face.verts == 3 || face.verts == 4) {
            bool positions = true;
            for (int c = 0; c < face.verts; ++c) {
                positions = positions && inside(face.v[c], vertCount);
                if (inside(face.vt[c], textureCount)) {
                    checks |= mesh::detail::faceTextureBit(c);
                }
                if (inside(face.vn[c], normalCount)) {
                    checks |= mesh::detail::faceNormalBit(c);
                }
            }
            checks = positions ? static_cast<uint16_t>(checks | mesh::detail::kFaceDrawable) : 0;
        }
        mFaceChecks[n] = checks;
    }
    mCheckedFaceCount = faceCount;
    mCheckedVertCount = mVertCount;
    mCheckedTextureVertCount = mTextureVertCount;
    mCheckedNormalCount = mNormalCount;
    mFacesChecked = true;
}

void MyOBJ::ensureFacesChecked() {
    if (!mFacesChecked || mCheckedFaceCount != clampCount(mFaceCount, kMaxFaces) ||
        mCheckedVertCount != mVertCount || mCheckedTextureVertCount != mTextureVertCount ||
        mCheckedNormalCount != mNormalCount) {
        checkFaces();
    }
}

int32_t MyOBJ::drawableFaceCount() const {
    return std::min(clampCount(mFaceCount, kMaxFaces), mCheckedFaceCount);
}
