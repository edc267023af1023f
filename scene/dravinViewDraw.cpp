// One frame of the scene, in four passes over colour, depth and stencil:
// the backdrop, the model into depth and stencil, the leaves where the
// stencil is set, and the lit model added on top.
#include "scene/dravinView.h"

#include "scene/ScenePasses.h"

#include <GL/gl.h>

namespace {

// One tile, 6.4 by 4.0 centred on its origin, corners counter-clockwise as
// seen from the eye; s runs from the right edge to the left, t downward.
struct Corner {
    GLfloat s, t, x, y;
};
constexpr Corner kTile[4] = {
    {0.0f, 0.0f, 3.2f, 2.0f},
    {1.0f, 0.0f, -3.2f, 2.0f},
    {1.0f, 1.0f, -3.2f, -2.0f},
    {0.0f, 1.0f, 3.2f, -2.0f},
};
// The second leaves quad's shift, and the length after which the scroll wraps.
// Less than the tile's width, so the two quads overlap and never leave a gap.
constexpr float kTileOffset = 5.8f;
constexpr double kScrollStep = 0.0008;

void emitTile(float dx) {
    for (const Corner& c : kTile) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.x + dx, c.y, 0.0f);
    }
}

} // namespace

namespace scene {

void placeModel(const ArcBall& arcBall) {
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -27.0f);
    AxisRotation r = arcBall.GetOrientation();
    glRotatef(r.angle, r.x, r.y, r.z);
}

void beginModelIntoStencil() {
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, 0);
    glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}

void endModelIntoStencil() {
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
}

void beginHighlight() {
    glEnable(GL_DEPTH_TEST); // depth writes stay off
    glEnable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_STENCIL_TEST);
    glPolygonOffset(0.0f, -100.0f);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
}

void endHighlight() {
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_POLYGON_OFFSET_FILL);
}

} // namespace scene

void dravinView::drawWorld(const host::Rect&) {
    // The host may redraw while the window wakes, before the world exists.
    if (!myOBJ || !myArcBall || !leaves || !birds)
        return;

    if (host::OpenGLContext* context = openGLContext())
        context->makeCurrentContext();
    glDrawBuffer(GL_BACK);
    glDepthMask(GL_TRUE); // the last frame ended with depth writes off
    glClearColor(0.25f, 0.25f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);

    // Pass 1: the backdrop.
    glDepthMask(GL_FALSE);
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -7.0f);
    glBindTexture(GL_TEXTURE_2D, birds->texture());
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_LIGHTING);
    glBegin(GL_QUADS);
    emitTile(0.0f);
    glEnd();

    // Pass 2: the model writes depth, and 1 into the stencil wherever it covers.
    scene::placeModel(*myArcBall);
    scene::beginModelIntoStencil();
    myOBJ->render();
    scene::endModelIntoStencil();

    // Pass 3: the leaves, only inside the silhouette.
    glLoadIdentity();
    scroll = static_cast<float>(static_cast<double>(scroll) - kScrollStep);
    if (scroll <= -kTileOffset)
        scroll = scroll + kTileOffset;
    glTranslatef(scroll, 0.0f, -7.0f);
    glBindTexture(GL_TEXTURE_2D, leaves->texture());
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_EQUAL, 1, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glDisable(GL_LIGHTING);
    glBegin(GL_QUADS);
    emitTile(0.0f);
    emitTile(kTileOffset);
    glEnd();

    // Pass 4: the lit model at half strength, added onto the surface pass 2 drew;
    // nothing can turn the arcball between the passes.
    scene::placeModel(*myArcBall);
    scene::beginHighlight();
    myOBJ->renderModelAsFlatPolys();
    scene::endHighlight();

    glFinish();
    if (host::OpenGLContext* context = openGLContext())
        context->flushBuffer();
}

void dravinView::drawCube() {
    struct Face {
        GLfloat r, g, b;
        GLfloat corners[4][3];
    };
    static constexpr Face kFaces[6] = {
        {0.0f, 1.0f, 0.0f, {{1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}}},     // top
        {1.0f, 0.5f, 0.0f, {{1, -1, 1}, {-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}}}, // bottom
        {1.0f, 0.0f, 0.0f, {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}}},     // front
        {1.0f, 1.0f, 0.0f, {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}}, // back
        {0.0f, 0.0f, 1.0f, {{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}}}, // left
        {1.0f, 0.0f, 1.0f, {{1, 1, -1}, {1, 1, 1}, {1, -1, 1}, {1, -1, -1}}},     // right
    };
    glBegin(GL_QUADS);
    for (const Face& f : kFaces) {
        glColor3f(f.r, f.g, f.b);
        for (const auto& c : f.corners)
            glVertex3f(c[0], c[1], c[2]);
    }
    glEnd();
}
