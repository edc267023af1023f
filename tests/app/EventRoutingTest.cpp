// Platform events to the view's handlers, the pointer mapping and the
// application's own keys, on the null platform.
#include "app/MyOpenGLView.h"
#include "tests/app/ViewHarness.h"
#include "tests/support/CapturedOutput.h"
#include "tests/support/EventInjection.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Records which handler each platform event reached; its loops never start.
class RecordingView : public MyOpenGLView {
  public:
    std::string calls;
    void startThreads() override {}
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
    void scrollWheel(const host::Event& e) override {
        calls += "wheel:" + std::to_string(int(e.deltaY)) + " ";
    }
    void reshape() override { calls += "reshape "; }
};

host::Application& app() {
    return host::Application::shared();
}

} // namespace

TEST(EventRouting, EachButtonReachesItsHandlers) {
    RecordingView* view = loadNullView<RecordingView>(1024, 768);
    ASSERT_NE(view, nullptr);
    host::Window& w = *view->window();
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
    host::postMouseMotion(w, 1u << 4, 30, 30);
    host::postMouseButton(w, 4, false, 10, 10);
    host::postKey(w, 'a');
    host::postWheel(w, 0, -2);
    app().runFor(0.05);
    EXPECT_EQ(view->calls, "down drag up otherDown otherDrag otherUp otherDown otherDrag otherUp "
                           "key:a wheel:-2 ");
    // The drag's position arrives in window coordinates, y up.
    EXPECT_EQ(view->mouseLoc.x, -0.5f);
    EXPECT_EQ(view->mouseLoc.y, 0.5f);
}

TEST(EventRouting, PointerMovesMapToMinusOneToOneWhileDeliveryIsOn) {
    RecordingView* view = loadNullView<RecordingView>(1024, 768);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->mouseLoc.x, 0); // at the centre until the pointer moves
    const struct {
        float x, y, expectX, expectY;
        bool delivered;
    } cases[] = {
        {256, 576, -0.5f, 0.5f, true}, // a quarter in from the left, a quarter down from the top
        {0, 0, -1, -1, true},          // lower-left corner
        {1024, 768, 1, 1, true},       // upper-right corner
        {1536, 384, 2, 0, true},       // beyond the right edge: not clamped
        {-512, -384, -2, -2, true},    // beyond the lower-left corner
        {512, 384, -2, -2, false},     // after losing focus: not delivered
        {512, 384, 0, 0, true},        // focus back
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.x << "," << c.y);
        if (c.delivered != view->window()->acceptsMouseMovedEvents())
            c.delivered ? view->becomeFirstResponder() : view->resignFirstResponder();
        host::postMouseMotion(*view->window(), 0, c.x, c.y);
        app().runFor(0.01);
        EXPECT_EQ(view->mouseLoc.x, c.expectX);
        EXPECT_EQ(view->mouseLoc.y, c.expectY);
    }
    test::CapturedOutput captured;
    view->MyOpenGLView::mouseDown({});
    EXPECT_EQ(captured.out(), "mouseDown\n");
    EXPECT_EQ(view->mouseLoc.x, 0); // a press does not move it
}

TEST(EventRouting, ExposuresRedrawOnceAndResizesReshape) {
    RecordingView* view = loadNullView<RecordingView>(320, 240);
    ASSERT_NE(view, nullptr);
    app().runFor(0.01);
    view->drawFrames = 0;
    view->calls.clear();
    host::postExpose(*view->window());
    host::postExpose(*view->window());
    host::postResize(*view->window(), 640, 480);
    app().runFor(0.05);
    EXPECT_EQ(view->drawFrames.load(), 1);
    EXPECT_EQ(view->drawRequests.load(), 0);
    EXPECT_EQ(view->calls, "reshape ");
    EXPECT_EQ(view->frame().width, 640);
    EXPECT_EQ(view->window()->frame().height, 480);
}

TEST(EventRouting, CtrlQAndTheCloseRequestEndTheLoopWithStatusZero) {
    RecordingView* view = loadNullView<RecordingView>();
    ASSERT_NE(view, nullptr);
    app().stop(3);
    app().run(); // a stop asked before the loop ends it at once
    EXPECT_EQ(app().exitStatus(), 3);
    for (bool close : {false, true}) {
        SCOPED_TRACE(close ? "close request" : "Ctrl+Q");
        view->calls.clear();
        close ? host::postCloseRequest(*view->window()) : host::postKey(*view->window(), 'q', true);
        host::postKey(*view->window(), 'x'); // after the quit: not delivered by this loop
        app().runFor(2.0);
        EXPECT_EQ(app().exitStatus(), 0);
        EXPECT_EQ(view->calls, close ? "" : "key:q "); // the view still gets the key
        app().runFor(0.01);
    }
}

TEST(EventRouting, TheFrameHookRunsBeforeEachSwapOfTheMainView) {
    RecordingView* view = loadNullView<RecordingView>();
    ASSERT_NE(view, nullptr);
    auto& null = host::platform::useNullPlatform();
    int hooked = 0, swapsSeen = -1;
    app().setFrameHook([&](host::OpenGLView& v) {
        EXPECT_EQ(&v, view);
        ++hooked;
        swapsSeen = null.swaps;
    });
    int swaps = null.swaps;
    view->openGLContext()->flushBuffer();
    view->openGLContext()->flushBuffer();
    EXPECT_EQ(hooked, 2);
    EXPECT_EQ(swapsSeen, swaps + 1); // the second hook ran before the second swap
    app().setFrameHook(nullptr);
    view->openGLContext()->flushBuffer();
    EXPECT_EQ(hooked, 2);
}
