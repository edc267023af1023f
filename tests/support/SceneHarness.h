// The demo scene in a plain window on SDL's offscreen driver with its loops
// off, and independent reference drawings to compare its frames with.
#pragma once

#include "scene/dravinView.h"
#include "tests/support/ViewHarness.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace scenetest {

// Only the test draws: no loops, no timer.
using QuietScene = Quiet<dravinView>;

// Wakes without its world, as when the host redraws before initWorld has run.
struct SceneWithoutWorld : QuietScene {
    void initWorld() override {}
};

// RGBA (or one byte a pixel for the stencil), bottom row first as GL reads.
inline std::vector<uint8_t> readPixels(int width, int height, GLenum format = GL_RGBA) {
    std::vector<uint8_t> p(size_t(width) * height * (format == GL_RGBA ? 4 : 1));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, format, GL_UNSIGNED_BYTE, p.data());
    return p;
}

// Vertices, but no faces.
inline std::unique_ptr<MyOBJ> modelWithoutFaces() {
    auto obj = std::make_unique<MyOBJ>();
    obj->loadOBJText("o Empty\nv 0 0 0\nv 5 0 0\nv 0 5 0\nvt 0 0\nvn 0 0 1\n");
    return obj;
}

// What draw() draws over the clear grey, with lighting, texturing, blending,
// stencil, depth and polygon offset off and an identity model-view.
template <class Draw> std::vector<uint8_t> drawnAlone(int width, int height, Draw draw) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_BLEND, GL_STENCIL_TEST, GL_DEPTH_TEST,
                       GL_POLYGON_OFFSET_FILL})
        glDisable(cap);
    glClearColor(0.25f, 0.25f, 0.25f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    draw();
    glPopAttrib();
    return readPixels(width, height);
}

// The model alone in white under the view's arcball: red 255 where it covers.
inline std::vector<uint8_t> coverage(dravinView& view, int width, int height) {
    return drawnAlone(width, height, [&] {
        glTranslatef(0, 0, -27);
        const AxisRotation r = view.myArcBall->GetOrientation();
        glRotatef(r.angle, r.x, r.y, r.z);
        view.myOBJ->renderModelAsFlatPolys();
    });
}

// Textured tiles 6.4 by 4 at distance 7, s from the right edge and t from the
// top, shifted by dx and each further one by 5.8. Unblended: where they cover,
// the colour and alpha are the image's own.
inline std::vector<uint8_t> tilesAlone(GLuint texture, float dx, int count, int width, int height) {
    return drawnAlone(width, height, [&] {
        glTranslatef(dx, 0, -7);
        glBindTexture(GL_TEXTURE_2D, texture);
        glEnable(GL_TEXTURE_2D);
        const float corners[4][4] = {
            {0, 0, 3.2f, 2}, {1, 0, -3.2f, 2}, {1, 1, -3.2f, -2}, {0, 1, 3.2f, -2}};
        glBegin(GL_QUADS);
        for (int k = 0; k < count; ++k)
            for (const auto& c : corners) {
                glTexCoord2f(c[0], c[1]);
                glVertex3f(c[2] + 5.8f * float(k), c[3], 0);
            }
        glEnd();
    });
}

} // namespace scenetest
