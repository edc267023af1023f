// The filled-face routines: quads, then triangles, switching material at the
// starts of the material groups. They leave the last material and normal
// they set in the context: inside render, its attribute push and pop take
// them back; a direct caller keeps them.
#include "mesh/MyOBJ.h"
#include "mesh/myobj/FaceChecks.h"

#include <GL/gl.h>
#include <algorithm>

// Material calls are not allowed inside a batch. A change that names no
// loaded material changes nothing.
void MyOBJ::applyMaterial(int32_t mtlChangeIndex, unsigned mode) {
    const int32_t index = mMtlChanges[mtlChangeIndex].materialIndex;
    const int32_t materialCount = std::clamp(mMaterialPropertyCount, int32_t{0}, kMaxMaterials);
    if (index < 0 || index >= materialCount) {
        return;
    }
    const MaterialProperties& m = mMaterialProperties[index];
    const GLfloat MaterialAmbient[4] = {m.Ka[0], m.Ka[1], m.Ka[2], 1.0f};
    const GLfloat MaterialDiffuse[4] = {m.Kd[0], m.Kd[1], m.Kd[2], 1.0f};
    const GLfloat MaterialSpecular[4] = {m.Ks[0], m.Ks[1], m.Ks[2], 1.0f};
    const GLfloat shininess = m.Ns;
    glEnd();
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, MaterialAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, MaterialDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, MaterialSpecular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &shininess);
    glBegin(mode);
}

template <bool Textured, bool Smooth> void MyOBJ::renderPolys() {
    const mesh::detail::FaceLimits limits = mesh::detail::faceLimitsOf(*this);
    const int32_t faceCount = limits.faces;
    const int32_t changeCount =
        mRendersMaterials ? std::clamp(mMtlChangeCount, int32_t{0}, kMaxMtlChanges) : 0;
    // The faces before the first change have no material of their own
    // (sortFaces puts there those of no loaded material): both passes over
    // them come first, before any material is applied, so that they take the
    // caller's. With the first change at face 0 there are none.
    const int32_t firstChange = changeCount > 0
                                    ? std::clamp(mMtlChanges[0].startingFace, int32_t{0}, faceCount)
                                    : faceCount;
    const auto passes = [&](int32_t from, int32_t to, int32_t changes) {
        for (const int32_t kind : {4, 3}) {
            const GLenum mode = kind == 4 ? GL_QUADS : GL_TRIANGLES;
            int32_t mtlChangeIndex = 0;
            glBegin(mode);
            for (int32_t n = from; n < to; ++n) {
                const Face& face = mFaces[n];
                if (face.verts != kind) {
                    continue;
                }
                while (mtlChangeIndex < changes && n >= mMtlChanges[mtlChangeIndex].startingFace) {
                    applyMaterial(mtlChangeIndex, mode);
                    ++mtlChangeIndex;
                }
                const uint16_t checks = mesh::detail::checkFace(face, limits);
                if (checks == 0) {
                    continue;
                }
                if constexpr (!Smooth) {
                    const Vector3D a = mVerts[face.v[0] - 1];
                    const Vector3D b = mVerts[face.v[1] - 1];
                    const Vector3D c = mVerts[face.v[2] - 1];
                    const Vector3D normal = Vector3DNormalize(
                        Vector3DCross(Vector3DSubtract(a, b), Vector3DSubtract(b, c)));
                    glNormal3f(normal.x, normal.y, normal.z);
                }
                for (int32_t faceVert = 0; faceVert < kind; ++faceVert) {
                    if constexpr (Textured) {
                        if (checks & mesh::detail::faceTextureBit(faceVert)) {
                            const Vector3D& t = mTextureVerts[face.vt[faceVert] - 1];
                            glTexCoord2f(t.x, t.y);
                        }
                    }
                    if constexpr (Smooth) {
                        if (checks & mesh::detail::faceNormalBit(faceVert)) {
                            const Vector3D& nv = mNormals[face.vn[faceVert] - 1];
                            glNormal3f(nv.x, nv.y, nv.z);
                        }
                    }
                    const Vector3D& p = mVerts[face.v[faceVert] - 1];
                    glVertex3f(p.x, p.y, p.z);
                }
            }
            glEnd();
        }
    };
    if (firstChange > 0 || firstChange == faceCount) {
        passes(0, firstChange, 0);
    }
    if (firstChange < faceCount) {
        passes(firstChange, faceCount, changeCount);
    }
}

void MyOBJ::renderModelAsFlatPolys() {
    renderPolys<false, false>();
}

void MyOBJ::renderModelAsFlatTexturedPolys() {
    renderPolys<true, false>();
}

void MyOBJ::renderModelAsSmoothPolys() {
    renderPolys<false, true>();
}

void MyOBJ::renderModelAsSmoothTexturedPolys() {
    renderPolys<true, true>();
}
