// The view's projection, fixed GL state and drawing surface, on a real context.
#include "app/MyOpenGLView.h"
#include "tests/support/ViewHarness.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace {

// The viewport, and the matrix of a 30-degree perspective for its aspect, near 1, far 100.
void expectViewportAndPerspective(int w, int h) {
    GLint vp[4] = {};
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(std::tuple(vp[0], vp[1], vp[2], vp[3]), std::tuple(0, 0, w, h));
    GLfloat m[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const double f = 1.0 / std::tan(15.0 * M_PI / 180.0), aspect = double(w) / h;
    const double expected[16] = {f / aspect,    0, 0, 0, 0, f, 0, 0, 0, 0, -101.0 / 99.0, -1, 0, 0,
                                 -200.0 / 99.0, 0};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-5) << "element " << i;
}

} // namespace

TEST(MyOpenGLViewProjection, ViewportPerspectiveAndSurfaceFollowTheViewSize) {
    auto* view = loadView<Quiet<MyOpenGLView>>(800, 600);
    ASSERT_NE(view, nullptr);
    expectViewportAndPerspective(800, 600);
    // New sizes from the host, one after the other.
    // Width and height, and the viewport after them.
    // Fractions are truncated; a view without area keeps the last projection.
    const std::tuple<float, float, int, int> sizes[] = {
        {799.7f, 600.9f, 799, 600}, {0, 600, 799, 600},    {800, 0, 799, 600},
        {0, 0, 799, 600},           {0.4f, 300, 799, 600}, {300, 300, 300, 300}};
    for (const auto& [width, height, expectW, expectH] : sizes) {
        SCOPED_TRACE(testing::Message() << width << " x " << height);
        view->setFrameSize(width, height);
        expectViewportAndPerspective(expectW, expectH);
    }
    // The drawing surface grows with the window, beyond the first size.
    view->window()->setFrame({0, 0, 1024, 768}, false);
    expectViewportAndPerspective(1024, 768);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(1000, 700, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[1], 255);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
