// The view's projection, pointer mapping and fixed GL state, on a real context.
#include "app/MyOpenGLView.h"
#include "host/EventInjection.h"
#include "tests/app/ViewHarness.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

// A view whose loops never start, so nothing but the test touches it.
class QuietView : public MyOpenGLView {
  public:
    void startThreads() override {}
};

host::Event at(float x, float y) {
    host::Event e;
    e.locationInWindow = {x, y};
    return e;
}

} // namespace

TEST(MyOpenGLViewPointer, MapsWindowPositionsOfA1024By768ViewToMinusOneToOne) {
    QuietView* view = loadView<QuietView>(1024, 768);
    ASSERT_NE(view, nullptr);
    const struct {
        float x, y, expectX, expectY;
    } cases[] = {
        {256, 576, -0.5f, 0.5f}, // a quarter in from the left, a quarter down from the top
        {0, 0, -1, -1},          // lower-left corner
        {512, 384, 0, 0},        // centre
        {1024, 768, 1, 1},       // upper-right corner
        {1536, 384, 2, 0},       // dragged beyond the right edge: not clamped
        {-512, -384, -2, -2},    // beyond the lower-left corner
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.x << "," << c.y);
        view->mouseMoved(at(c.x, c.y));
        EXPECT_EQ(view->mouseLoc.x, c.expectX);
        EXPECT_EQ(view->mouseLoc.y, c.expectY);
        view->mouseLoc = {};
        view->mouseDragged(at(c.x, c.y)); // the same mapping
        EXPECT_EQ(view->mouseLoc.x, c.expectX);
        EXPECT_EQ(view->mouseLoc.y, c.expectY);
    }
}

TEST(MyOpenGLViewPointer, LocationStartsAtTheCentreAndMouseDownDoesNotMoveIt) {
    QuietView* view = loadView<QuietView>(1024, 768);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->mouseLoc.x, 0);
    EXPECT_EQ(view->mouseLoc.y, 0);
    testing::internal::CaptureStdout();
    view->mouseDown(at(100, 100));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "mouseDown\n");
    EXPECT_EQ(view->mouseLoc.x, 0);
    EXPECT_EQ(view->mouseLoc.y, 0);
}

namespace {

void expectViewport(int x, int y, int w, int h) {
    GLint vp[4] = {};
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[0], x);
    EXPECT_EQ(vp[1], y);
    EXPECT_EQ(vp[2], w);
    EXPECT_EQ(vp[3], h);
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
    expectViewport(0, 0, 800, 600);
    expectPerspective(800.0 / 600.0);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(mv[i], i % 5 == 0 ? 1.0f : 0.0f);
}

TEST(MyOpenGLViewProjection, FractionalSizesAreTruncatedAndEachReshapeSaysSo) {
    QuietView* view = loadView<QuietView>(800, 600);
    ASSERT_NE(view, nullptr);
    testing::internal::CaptureStderr();
    view->setFrameSize(799.7f, 600.9f); // the host reports a new size
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "reshape\n");
    expectViewport(0, 0, 799, 600);
    expectPerspective(799.0 / 600.0);
}

TEST(MyOpenGLViewProjection, AViewWithoutAreaKeepsTheLastProjection) {
    QuietView* view = loadView<QuietView>(800, 600);
    ASSERT_NE(view, nullptr);
    for (auto size : {std::pair{0.0f, 600.0f}, {800.0f, 0.0f}, {0.0f, 0.0f}, {0.4f, 300.0f}}) {
        view->setFrameSize(size.first, size.second);
        expectViewport(0, 0, 800, 600);
        expectPerspective(800.0 / 600.0);
    }
    view->setFrameSize(300, 300);
    expectViewport(0, 0, 300, 300);
    expectPerspective(1.0);
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

namespace {

// Records which handler each platform event reached.
class RecordingView : public QuietView {
  public:
    std::string calls;
    void mouseDown(const host::Event&) override { calls += "down "; }
    void mouseUp(const host::Event&) override { calls += "up "; }
    void mouseDragged(const host::Event& e) override {
        calls += "drag ";
        MyOpenGLView::mouseDragged(e);
    }
    void otherMouseDown(const host::Event&) override { calls += "otherDown "; }
    void otherMouseDragged(const host::Event&) override { calls += "otherDrag "; }
    void otherMouseUp(const host::Event&) override { calls += "otherUp "; }
    void keyDown(const host::Event& e) override { calls += "key:" + e.characters + " "; }
};

} // namespace

TEST(MyOpenGLViewEvents, PlatformEventsReachTheHandlersOfTheirButton) {
    RecordingView* view = loadView<RecordingView>(1024, 768);
    ASSERT_NE(view, nullptr);
    const host::Window& w = *view->window();
    host::postMouseButton(w, 0, true, 512, 384);
    host::postMouseMotion(w, 1u << 0, 256, 576);
    host::postMouseButton(w, 0, false, 256, 576);
    host::postMouseButton(w, 1, true, 10, 10); // secondary: no handler
    host::postMouseMotion(w, 1u << 1, 20, 20);
    host::postMouseButton(w, 1, false, 20, 20);
    host::postMouseButton(w, 2, true, 10, 10);
    host::postMouseMotion(w, 1u << 2, 30, 30);
    host::postMouseButton(w, 2, false, 30, 30);
    host::postMouseButton(w, 4, true, 10, 10);
    host::postMouseButton(w, 4, false, 10, 10);
    host::postKey(w, 'a');
    host::Application::shared().runFor(0.1);
    EXPECT_EQ(view->calls, "down drag up otherDown otherDrag otherUp otherDown otherUp key:a ");
    // The drag's position arrives in window coordinates, y up.
    EXPECT_EQ(view->mouseLoc.x, -0.5f);
    EXPECT_EQ(view->mouseLoc.y, 0.5f);
}

TEST(MyOpenGLViewEvents, PointerMovesCountOnlyWhileMouseMovedDeliveryIsOn) {
    QuietView* view = loadView<QuietView>(1024, 768);
    ASSERT_NE(view, nullptr);
    const host::Window& w = *view->window();
    host::postMouseMotion(w, 0, 768, 192);
    host::Application::shared().runFor(0.05);
    EXPECT_EQ(view->mouseLoc.x, 0.5f);
    EXPECT_EQ(view->mouseLoc.y, -0.5f);
    EXPECT_TRUE(view->resignFirstResponder()); // losing focus switches delivery off
    host::postMouseMotion(w, 0, 0, 0);
    host::Application::shared().runFor(0.05);
    EXPECT_EQ(view->mouseLoc.x, 0.5f); // unchanged
    EXPECT_TRUE(view->becomeFirstResponder());
    host::postMouseMotion(w, 0, 0, 0);
    host::Application::shared().runFor(0.05);
    EXPECT_EQ(view->mouseLoc.x, -1.0f);
}

TEST(MyOpenGLViewEvents, AnExposureRedrawsOnceWithoutARequest) {
    QuietView* view = loadView<QuietView>(320, 240);
    ASSERT_NE(view, nullptr);
    host::Application::shared().runFor(0.05);
    view->drawFrames = 0;
    host::postExpose(*view->window());
    host::postExpose(*view->window());
    host::Application::shared().runFor(0.05);
    EXPECT_EQ(view->drawFrames.load(), 1);
    EXPECT_EQ(view->drawRequests.load(), 0);
}

TEST(MyOpenGLViewProjection, TheDrawingSurfaceGrowsWithTheWindow) {
    QuietView* view = loadView<QuietView>(320, 240);
    ASSERT_NE(view, nullptr);
    view->window()->setFrame({0, 0, 640, 480}, false);
    expectViewport(0, 0, 640, 480);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char px[4] = {};
    glReadPixels(600, 450, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px); // beyond the first size
    EXPECT_EQ(px[1], 255);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
