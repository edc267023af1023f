// What a frame leaves behind and what it takes from before: the GL state for
// the next frame, the scroll of the leaves, and independence from stray state.
#include "tests/scene/SceneHarness.h"

#include <gtest/gtest.h>

using namespace scenetest;

namespace {

constexpr int kW = 160;
constexpr int kH = 120;

// The scroll does not depend on the model; a faceless one keeps frames cheap.
void useEmptyModel(dravinView& view) {
    view.myOBJ = std::make_unique<MyOBJ>();
    testing::internal::CaptureStdout();
    view.myOBJ->loadOBJText("o Empty\n");
    testing::internal::GetCapturedStdout();
}

} // namespace

TEST(SceneFrameState, LeavesTheStateTheNextFrameStartsFrom) {
    QuietScene* view = loadView<QuietScene>(kW, kH);
    ASSERT_NE(view, nullptr);
    for (int frame = 0; frame < 2; ++frame) {
        view->display();
        SCOPED_TRACE(frame);
        const std::pair<GLenum, bool> caps[] = {
            {GL_DEPTH_TEST, true},    {GL_LIGHTING, true}, {GL_TEXTURE_2D, false},
            {GL_STENCIL_TEST, false}, {GL_BLEND, true},    {GL_POLYGON_OFFSET_FILL, false},
            {GL_CULL_FACE, true},
        };
        for (auto [cap, on] : caps)
            EXPECT_EQ(glIsEnabled(cap), on ? GL_TRUE : GL_FALSE)
                << "capability 0x" << std::hex << cap;
        GLboolean depthWrites = GL_TRUE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
        EXPECT_EQ(depthWrites, GL_FALSE);
        const std::pair<GLenum, GLint> values[] = {
            {GL_BLEND_SRC, GL_SRC_ALPHA},
            {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA},
            {GL_TEXTURE_BINDING_2D, GLint(view->leaves->texture())},
            {GL_MATRIX_MODE, GL_MODELVIEW},
            {GL_DEPTH_FUNC, GL_LESS},
        };
        for (auto [name, expected] : values) {
            GLint v = -1;
            glGetIntegerv(name, &v);
            EXPECT_EQ(v, expected) << "value 0x" << std::hex << name;
        }
        GLfloat colour[4] = {};
        glGetFloatv(GL_CURRENT_COLOR, colour);
        for (float c : colour)
            EXPECT_EQ(c, 1.0f);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    EXPECT_NE(view->leaves->texture(), view->birds->texture());
}

TEST(SceneFrameState, AFrameDoesNotDependOnStateLeftBeforeIt) {
    QuietScene* view = loadView<QuietScene>(kW, kH);
    ASSERT_NE(view, nullptr);
    view->myArcBall->SetOrientationWithAxisRotation({30, 0, 1, 0});
    view->display();
    const float scroll = view->scroll;
    Pixels clean = readColour(kW, kH);
    std::vector<uint8_t> cleanStencil = readStencil(kW, kH);

    // Everything the frame sets before it uses it, set to something else. The
    // current colour, the blend function and the polygon offset switch are not
    // among it: the frame puts those back at its end instead, for the next one.
    glDrawBuffer(GL_FRONT);
    glDepthMask(GL_TRUE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_NEVER, 3, 0xff);
    glStencilOp(GL_INCR, GL_INCR, GL_INCR);
    glPolygonOffset(50.0f, 1000.0f);
    glClearColor(1, 0, 0, 1);
    glClearStencil(5);
    glLoadIdentity();
    glTranslatef(4, 3, 2);
    glRotatef(70, 1, 1, 0);

    view->scroll = scroll + 0.0008f;
    view->display();
    glReadBuffer(GL_BACK);
    EXPECT_EQ(view->scroll, scroll);
    Pixels again = readColour(kW, kH);
    size_t differ = 0;
    for (int i = 0; i < kW * kH; ++i)
        differ += !again.sameAt(clean, i);
    EXPECT_EQ(differ, 0u);
    EXPECT_EQ(readStencil(kW, kH), cleanStencil);
}

TEST(SceneScroll, FirstFrameMovesTheLeavesLeftByOneStep) {
    QuietScene* view = loadView<QuietScene>(kW, kH);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->scroll, 0.0f);
    view->display();
    EXPECT_EQ(view->scroll, static_cast<float>(-0.0008));
    view->display();
    EXPECT_NEAR(view->scroll, -0.0016, 1e-9);
}

TEST(SceneScroll, WrapsOnThe7250thFrameToJustBelowZero) {
    QuietScene* view = loadView<QuietScene>(16, 16);
    ASSERT_NE(view, nullptr);
    useEmptyModel(*view);
    float previous = view->scroll;
    for (int frame = 1; frame < 7250; ++frame) {
        view->display();
        // Every step is 0.0008 to within the rounding of the stored float.
        ASSERT_NEAR(previous - view->scroll, 0.0008, 1e-6) << "frame " << frame;
        previous = view->scroll;
    }
    EXPECT_GT(view->scroll, -5.8f);
    EXPECT_NEAR(view->scroll, -5.7992, 1e-4);
    view->display();
    EXPECT_NEAR(view->scroll, -0.00006, 1e-5);
    EXPECT_LT(view->scroll, 0.0f);
    view->display();
    EXPECT_NEAR(view->scroll, -0.00086, 1e-5);
}
