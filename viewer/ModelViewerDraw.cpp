// One frame of the viewer: the neutral background, then the model under the
// arcball's turn, at the framing distance.
#include "viewer/ModelViewer.h"

#include "viewer/ModelFraming.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>

namespace {

// Near and far planes around a model of radius 1 seen from 0.25 to 12 times
// its framing distance (about 4 units).
constexpr double kNear = 0.05;
constexpr double kFar = 200.0;

// A grey checker of 8 x 8 squares: texture coordinates made visible.
unsigned makeCheckerTexture() {
    constexpr int kSide = 64, kSquare = 8;
    static GLubyte texels[kSide * kSide];
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            texels[y * kSide + x] = ((x / kSquare + y / kSquare) % 2) ? 255 : 110;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE, kSide, kSide, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                 texels);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return name;
}

} // namespace

// The base's projection with near and far planes that suit the unit model.
void ModelViewer::sizeGLWithWidth(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    aspect_ = float(width) / float(height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, double(aspect_), kNear, kFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void ModelViewer::drawModel(unsigned checker) {
    drawing->draw(flags, checker);
}

// The bar across the middle of the view: its frame, and the share done filled.
void ModelViewer::drawProgress(float share) {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // In the unit square's coordinates, -1..1 both ways: a bar half as wide
    // as the view, a fixed few pixels high whatever the height.
    const host::Rect size = bounds();
    const float half = size.height > 0 ? 6.0f / size.height : 0.02f, left = -0.5f, right = 0.5f;
    glColor3f(0.30f, 0.31f, 0.33f);
    glRectf(left, -half, right, half);
    glColor3f(0.85f, 0.86f, 0.88f);
    glRectf(left, -half, left + (right - left) * std::clamp(share, 0.0f, 1.0f), half);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

void ModelViewer::drawWorld(const host::Rect&) {
    // The host may redraw while the window wakes, before the world exists.
    if (!myArcBall)
        return;
    if (host::OpenGLContext* context = openGLContext())
        context->makeCurrentContext();
    if (!drawing)
        takeLoadedModel();

    glDrawBuffer(GL_BACK);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);
    glClearColor(0.42f, 0.43f, 0.45f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    if (!drawing) {
        const float share = load_ ? load_->progress() : 0.0f;
        showProgressLine(share);
        drawProgress(share);
        glFinish();
        if (host::OpenGLContext* context = openGLContext())
            context->flushBuffer();
        return;
    }
    if (checkerTexture_ == 0)
        checkerTexture_ = makeCheckerTexture();

    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -framingDistance(kFieldOfView, aspect_) * zoom);
    if (turntableFrames_ > 0) {
        // Counted in doubles: a float step would drift over a long turn.
        const double turn = 360.0 * double(turntableFrame_ % turntableFrames_) / turntableFrames_;
        glRotated(turn, 0.0, 1.0, 0.0);
        ++turntableFrame_;
    }
    const AxisRotation r = myArcBall->GetOrientation();
    glRotatef(r.angle, r.x, r.y, r.z);

    drawModel(checkerTexture_);

    glFinish();
    if (host::OpenGLContext* context = openGLContext())
        context->flushBuffer();
}
