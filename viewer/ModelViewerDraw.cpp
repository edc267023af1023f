// One frame of the viewer: the neutral background, then the model under the
// arcball's turn, at the framing distance.
#include "viewer/ModelViewer.h"

#include "viewer/ModelFraming.h"

#include <GL/gl.h>
#include <GL/glu.h>

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

void ModelViewer::drawWorld(const host::Rect&) {
    // The host may redraw while the window wakes, before the world exists.
    if (!drawing || !myArcBall)
        return;
    if (host::OpenGLContext* context = openGLContext())
        context->makeCurrentContext();
    if (checkerTexture_ == 0)
        checkerTexture_ = makeCheckerTexture();

    glDrawBuffer(GL_BACK);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_BLEND);
    glClearColor(0.42f, 0.43f, 0.45f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -framingDistance(kFieldOfView, aspect_) * zoom);
    const AxisRotation r = myArcBall->GetOrientation();
    glRotatef(r.angle, r.x, r.y, r.z);

    drawModel(checkerTexture_);

    glFinish();
    if (host::OpenGLContext* context = openGLContext())
        context->flushBuffer();
}
