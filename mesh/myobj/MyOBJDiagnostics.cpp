// The structure drawings: vertex cloud, normal lines and face outlines.
#include "diag/Diagnostics.h"
#include "mesh/MyOBJ.h"
#include "mesh/myobj/FaceChecks.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Normal lines are this many model units per unit of normal.
constexpr double kNormalScale = 0.4;

void lineAlong(Vector3D from, Vector3D direction) {
    glVertex3f(from.x, from.y, from.z);
    glVertex3f(static_cast<float>(from.x + kNormalScale * direction.x),
               static_cast<float>(from.y + kNormalScale * direction.y),
               static_cast<float>(from.z + kNormalScale * direction.z));
}

} // namespace

void MyOBJ::renderModelAsPoints() {
    const int32_t vertCount = std::clamp(mVertCount, int32_t{0}, kMaxVerts);
    glPointSize(5.0f);
    glBegin(GL_POINTS);
    for (int32_t n = 0; n < vertCount; ++n) {
        glVertex3f(mVerts[n].x, mVerts[n].y, mVerts[n].z);
    }
    glEnd();
}

// Line segments for every face that may be drawn: f(face index, face, checks).
template <class F> void MyOBJ::drawFaceLines(F&& f) {
    const mesh::detail::FaceLimits limits = mesh::detail::faceLimitsOf(*this);
    glBegin(GL_LINES);
    for (int32_t n = 0; n < limits.faces; ++n) {
        if (const uint16_t checks = mesh::detail::checkFace(mFaces[n], limits)) {
            f(n, mFaces[n], checks);
        }
    }
    glEnd();
}

void MyOBJ::renderModelAsFlatNormals() {
    drawFaceLines([this](int32_t n, const Face& face, uint16_t) {
        const Vector3D a = mVerts[face.v[0] - 1];
        const Vector3D b = mVerts[face.v[1] - 1];
        const Vector3D c = mVerts[face.v[2] - 1];
        const Vector3D normal =
            Vector3DNormalize(Vector3DCross(Vector3DSubtract(a, b), Vector3DSubtract(b, c)));
        Vector3D centre{};
        for (int32_t faceVert = 0; faceVert < face.verts; ++faceVert) {
            const Vector3D& p = mVerts[face.v[faceVert] - 1];
            centre.x += p.x;
            centre.y += p.y;
            centre.z += p.z;
        }
        const float corners = static_cast<float>(face.verts);
        centre = Vector3D{centre.x / corners, centre.y / corners, centre.z / corners};
        if (std::isnan(normal.x) || std::isnan(normal.y) || std::isnan(normal.z)) {
            diag::out("WARNING: Computed Face Normal is NaN (face %d)\n", n);
        }
        lineAlong(centre, normal);
    });
}

void MyOBJ::renderModelAsSmoothNormals() {
    drawFaceLines([this](int32_t, const Face& face, uint16_t checks) {
        for (int32_t faceVert = 0; faceVert < face.verts; ++faceVert) {
            if (checks & mesh::detail::faceNormalBit(faceVert)) {
                lineAlong(mVerts[face.v[faceVert] - 1], mNormals[face.vn[faceVert] - 1]);
            }
        }
    });
}

void MyOBJ::renderModelAsFramePolys() {
    drawFaceLines([this](int32_t, const Face& face, uint16_t) {
        for (int32_t faceVert = 1; faceVert <= face.verts; ++faceVert) {
            // The last round closes the outline back to the first corner.
            const Vector3D& from = mVerts[face.v[faceVert - 1] - 1];
            const Vector3D& to = mVerts[face.v[faceVert % face.verts] - 1];
            glVertex3f(from.x, from.y, from.z);
            glVertex3f(to.x, to.y, to.z);
        }
    });
}
