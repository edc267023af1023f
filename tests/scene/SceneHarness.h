// The demo scene in a plain window on SDL's offscreen driver with its loops
// off, and independent reference drawings to compare its frames with.
#pragma once

#include "scene/dravinView.h"
#include "tests/app/ViewHarness.h"

#include <GL/gl.h>
#include <cstdint>
#include <vector>

namespace scenetest {

// Only the test draws: no loops, no timer.
class QuietScene : public dravinView {
  public:
    void startThreads() override {}
};

struct Pixels {
    int width{}, height{};
    std::vector<uint8_t> rgba; // bottom row first, as GL reads
    const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
    bool sameAt(const Pixels& o, int i) const {
        return rgba[i * 4] == o.rgba[i * 4] && rgba[i * 4 + 1] == o.rgba[i * 4 + 1] &&
               rgba[i * 4 + 2] == o.rgba[i * 4 + 2];
    }
};

inline Pixels readColour(int width, int height) {
    Pixels p{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, p.rgba.data());
    return p;
}

inline std::vector<uint8_t> readStencil(int width, int height) {
    std::vector<uint8_t> s(size_t(width) * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, s.data());
    return s;
}

// The tile every quad of the frame uses: s from the right edge, t from the top.
struct Corner {
    float s, t, x, y;
};
inline constexpr Corner kTile[4] = {
    {0, 0, 3.2f, 2.0f}, {1, 0, -3.2f, 2.0f}, {1, 1, -3.2f, -2.0f}, {0, 1, 3.2f, -2.0f}};

inline void tile(float dx) {
    for (const Corner& c : kTile) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.x + dx, c.y, 0.0f);
    }
}

// The pixels the model covers under the view's arcball, found by drawing the
// model alone in white with everything but culling switched off.
inline std::vector<bool> coverage(dravinView& view, int width, int height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0, 0, -27);
    AxisRotation r = view.myArcBall->GetOrientation();
    glRotatef(r.angle, r.x, r.y, r.z);
    glColor4f(1, 1, 1, 1);
    view.myOBJ->renderModelAsFlatPolys();
    glPopAttrib();
    Pixels p = readColour(width, height);
    std::vector<bool> mask(size_t(width) * height);
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = p.rgba[i * 4] != 0;
    return mask;
}

// A textured tile pair (or single tile) drawn alone over the given clear colour.
inline Pixels tilesAlone(GLuint texture, float dx, bool pair, float clearGrey, float clearAlpha,
                         bool blend, int width, int height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_LIGHTING);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DEPTH_TEST);
    if (blend) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    glClearColor(clearGrey, clearGrey, clearGrey, clearAlpha);
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(dx, 0, -7);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    tile(0);
    if (pair)
        tile(5.8f);
    glEnd();
    glPopAttrib();
    return readColour(width, height);
}

// The backdrop alone: the birds tile over the clear grey.
inline Pixels backdropAlone(dravinView& view, int width, int height) {
    return tilesAlone(view.birds->texture(), 0, false, 0.25f, 1.0f, true, width, height);
}

// The leaves pair alone at a given scroll, unblended, so alpha is the image's own.
inline Pixels leavesAlone(dravinView& view, float scroll, int width, int height) {
    return tilesAlone(view.leaves->texture(), scroll, true, 0, 0, false, width, height);
}

} // namespace scenetest
