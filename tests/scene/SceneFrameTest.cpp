// What the frames of the scene show whatever GL state came before, read back
// from a real offscreen context and compared with the model, backdrop and
// leaves drawn alone.
#include "tests/support/SceneHarness.h"

#include <gtest/gtest.h>

using namespace scenetest;

namespace {

constexpr int kW = 320, kH = 240;

struct SceneFrame : testing::Test {
    void SetUp() override { ASSERT_NE(view = loadView<QuietScene>(kW, kH), nullptr); }

    // A frame at the scroll under the global ambient light and the highlight:
    // 0.2 and 0.8 as the scene has them; with both off the lit pass adds
    // nothing, so what the earlier passes drew can be compared exactly.
    // Everything the frame sets before it uses it is set to something else
    // first. The current colour, the blend function and the polygon offset
    // switch are not among it: the frame puts those back at its end instead,
    // for the next one, so a frame that left them otherwise would draw the
    // next one differently. What else a frame leaves behind, nothing reads.
    std::vector<uint8_t> shown(float ambient, float specular, float scroll) {
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
        glTranslatef(4, 3, 2);
        glRotatef(70, 1, 1, 0);
        const GLfloat a[4] = {ambient, ambient, ambient, 1},
                      s[4] = {specular, specular, specular, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, a);
        glLightfv(GL_LIGHT0, GL_SPECULAR, s);
        view->scroll = scroll;
        view->display();
        return readPixels(kW, kH);
    }

    QuietScene* view{};
};

} // namespace

TEST_F(SceneFrame, FromAnyStateStencilIsTheSilhouetteWithLeavesAndLightInsideAndBackdropOutside) {
    // Orientation, scroll, no faces (last: it replaces the model).
    // clang-format off
    const std::tuple<AxisRotation, float, bool> cases[] = {
        {{0, 0, 0, 1}, 0.0f, false}, {{90, 0, 1, 0}, -1.5f, false}, {{37, 1, 0.5f, 0.25f}, -5.0f, false},
        {{180, 1, 0, 0}, -3.0f, false}, {{0, 0, 0, 1}, 0.0f, true}};
    // clang-format on
    size_t highlighted = 0;
    for (const auto& [orientation, scroll, noFaces] : cases) {
        SCOPED_TRACE(testing::Message() << orientation.angle << " " << scroll << " " << noFaces);
        if (noFaces)
            view->myOBJ = modelWithoutFaces();
        view->myArcBall->SetOrientationWithAxisRotation(orientation);
        const auto lit = shown(0.2f, 0.8f, scroll), frame = shown(0, 0, scroll);
        const auto stencil = readPixels(kW, kH, GL_STENCIL_INDEX), model = coverage(*view, kW, kH);
        // The birds alone (opaque, over the clear grey); the leaves pair alone.
        const auto backdrop = tilesAlone(view->birds->texture(), 0, 1, kW, kH);
        const auto leaves = tilesAlone(view->leaves->texture(), view->scroll, 2, kW, kH);
        size_t covered = 0, wrongStencil = 0, notBackdrop = 0, opaque = 0, notLeaves = 0, dim = 0;
        for (size_t i = 0; i < stencil.size(); ++i) {
            covered += model[i * 4] == 255;
            wrongStencil += stencil[i] != (model[i * 4] == 255);
            if (!stencil[i]) {
                notBackdrop += !std::equal(&lit[i * 4], &lit[i * 4 + 3], &backdrop[i * 4]);
                continue;
            }
            opaque += leaves[i * 4 + 3] == 255;
            notLeaves += leaves[i * 4 + 3] == 255 &&
                         !std::equal(&frame[i * 4], &frame[i * 4 + 3], &leaves[i * 4]);
            // The lit pass adds half the ambient 0.2 at least, and the highlight above it.
            for (size_t ch = i * 4; ch < i * 4 + 3; ++ch) {
                dim += frame[ch] <= 200 && lit[ch] - frame[ch] < 25;
                highlighted += frame[ch] <= 200 && lit[ch] - frame[ch] > 40;
            }
        }
        EXPECT_EQ(std::make_tuple(wrongStencil, notBackdrop, notLeaves, dim),
                  std::make_tuple(0u, 0u, 0u, 0u));
        // None, or a fair part of the view with leaves opaque over a fair part of it.
        EXPECT_TRUE(noFaces ? covered == 0
                            : covered > size_t(kW * kH / 50) && opaque > covered / 10)
            << covered << " covered, " << opaque << " opaque";
    }
    EXPECT_GT(highlighted, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SceneScroll, StepsLeftEachFrameAndWrapsOnThe7250thToJustBelowZero) {
    // Small and faceless keeps 7250 frames cheap; the scroll depends on neither.
    QuietScene* view = loadView<QuietScene>(16, 16);
    ASSERT_NE(view, nullptr);
    view->myOBJ = modelWithoutFaces();
    for (int frame = 1; frame < 7250; ++frame)
        view->display();
    EXPECT_NEAR(view->scroll, -5.7992, 1e-4);
    view->display();
    EXPECT_NEAR(view->scroll, -0.00006, 1e-5);
}
