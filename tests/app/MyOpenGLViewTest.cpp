// The view's projection, fixed GL state and drawing surface, on a real context.
#include "app/MyOpenGLView.h"
#include "tests/app/ViewHarness.h"
#include "tests/support/CapturedOutput.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

// A view whose loops never start, so nothing but the test touches it.
struct QuietView : MyOpenGLView {
    void startThreads() override {}
};

void expectViewport(int w, int h) {
    GLint vp[4] = {};
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_TRUE(vp[0] == 0 && vp[1] == 0 && vp[2] == w && vp[3] == h)
        << vp[0] << "," << vp[1] << " " << vp[2] << "x" << vp[3];
}

// The matrix of a 30-degree perspective for the aspect, near 1, far 100.
void expectPerspective(double aspect) {
    GLfloat m[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const double f = 1.0 / std::tan(15.0 * M_PI / 180.0);
    const double expected[16] = {f / aspect,    0, 0, 0, 0, f, 0, 0, 0, 0, -101.0 / 99.0, -1, 0, 0,
                                 -200.0 / 99.0, 0};
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m[i], expected[i], 1e-5) << "element " << i;
}

} // namespace

TEST(MyOpenGLViewProjection, ViewportAndPerspectiveFollowTheViewSize) {
    QuietView* view = loadView<QuietView>(800, 600);
    ASSERT_NE(view, nullptr);
    expectViewport(800, 600);
    expectPerspective(800.0 / 600.0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(mv[i], i % 5 == 0 ? 1.0f : 0.0f);
    // New sizes from the host, one after the other; each says reshape.
    const struct {
        float width, height;
        int expectW, expectH; // the viewport after it
    } sizes[] = {
        {799.7f, 600.9f, 799, 600}, // fractions are truncated
        {0, 600, 799, 600},         // a view without area keeps the last projection
        {800, 0, 799, 600},         {0, 0, 799, 600}, {0.4f, 300, 799, 600}, {300, 300, 300, 300},
    };
    for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << s.width << " x " << s.height);
        test::CapturedOutput captured;
        view->setFrameSize(s.width, s.height);
        EXPECT_EQ(captured.err(), "reshape\n");
        expectViewport(s.expectW, s.expectH);
        expectPerspective(double(s.expectW) / s.expectH);
    }
}

TEST(MyOpenGLViewState, InitGLParamLeavesTheFixedState) {
    QuietView* view = loadView<QuietView>(320, 240);
    ASSERT_NE(view, nullptr);
    const std::pair<GLenum, bool> caps[] = {
        {GL_DEPTH_TEST, true},
        {GL_LIGHTING, false},
        {GL_BLEND, true},
        {GL_LINE_SMOOTH, true},
        {GL_CULL_FACE, true},
        {GL_NORMALIZE, false},
        {0x809D, true} /* GL_MULTISAMPLE */,
        {GL_TEXTURE_2D, false},
        {GL_STENCIL_TEST, false},
    };
    for (auto [cap, on] : caps)
        EXPECT_EQ(glIsEnabled(cap), on ? GL_TRUE : GL_FALSE) << "capability 0x" << std::hex << cap;
    const std::pair<GLenum, GLint> values[] = {
        {GL_DEPTH_FUNC, GL_LESS},         {GL_SHADE_MODEL, GL_SMOOTH},
        {GL_BLEND_SRC, GL_SRC_ALPHA},     {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA},
        {GL_LINE_SMOOTH_HINT, GL_NICEST}, {GL_CULL_FACE_MODE, GL_BACK},
        {GL_DRAW_BUFFER, GL_BACK},
    };
    for (auto [name, expected] : values) {
        GLint v = -1;
        glGetIntegerv(name, &v);
        EXPECT_EQ(v, expected) << "value 0x" << std::hex << name;
    }
    GLfloat clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    for (float c : clear)
        EXPECT_EQ(c, 0.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(view->calcsPerSecond.load(), 100.0);
    EXPECT_EQ(view->drawsPerSecond.load(), 1000.0);
}

TEST(MyOpenGLViewProjection, TheDrawingSurfaceGrowsWithTheWindow) {
    QuietView* view = loadView<QuietView>(320, 240);
    ASSERT_NE(view, nullptr);
    view->window()->setFrame({0, 0, 640, 480}, false);
    expectViewport(640, 480);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(600, 450, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px); // beyond the first size
    EXPECT_EQ(px[1], 255);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
