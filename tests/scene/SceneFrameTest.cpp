// What one frame of the scene shows and leaves behind, read back from a real
// offscreen context and compared with the model, backdrop and leaves drawn alone.
#include "tests/scene/SceneHarness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

using namespace scenetest;

namespace {

constexpr int kW = 320, kH = 240;

class SceneFrame : public testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(view = loadView<QuietScene>(kW, kH), nullptr); }

    // The global ambient light and the highlight: 0.2 and 0.8 as the scene
    // has them; with both off the lit pass adds nothing, so what the earlier
    // passes drew can be compared exactly.
    static void setLight(float ambient, float specular) {
        const GLfloat a[4] = {ambient, ambient, ambient, 1},
                      s[4] = {specular, specular, specular, 1};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, a);
        glLightfv(GL_LIGHT0, GL_SPECULAR, s);
    }

    QuietScene* view{};
};

} // namespace

TEST_F(SceneFrame, StencilIsTheSilhouetteWithLeavesAndLightInsideAndTheBackdropAloneOutside) {
    struct Case {
        const char* name;
        AxisRotation orientation;
        float scroll;
        bool noFaces;
    };
    const Case cases[] = {
        {"identity", {0, 0, 0, 1}, 0.0f, false},
        {"quarter turn about y", {90, 0, 1, 0}, -1.5f, false},
        {"tilted", {37, 1, 0.5f, 0.25f}, -5.0f, false},
        {"upside down", {180, 1, 0, 0}, -3.0f, false},
        {"a model with no faces", {0, 0, 0, 1}, 0.0f, true}, // last: it replaces the model
    };
    size_t highlighted = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.noFaces)
            view->myOBJ = modelWithoutFaces();
        view->myArcBall->SetOrientationWithAxisRotation(c.orientation);
        setLight(0.2f, 0.8f);
        view->scroll = c.scroll;
        view->display();
        const auto lit = readPixels(kW, kH);
        setLight(0, 0);
        view->scroll = c.scroll;
        view->display();
        const auto frame = readPixels(kW, kH);
        const auto stencil = readPixels(kW, kH, GL_STENCIL_INDEX);
        const auto mask = coverage(*view, kW, kH);
        // The birds alone (opaque, over the clear grey); the leaves pair alone.
        const auto backdrop = tilesAlone(view->birds->texture(), 0, 1, kW, kH);
        const auto leaves = tilesAlone(view->leaves->texture(), view->scroll, 2, kW, kH);
        size_t covered = 0, wrongStencil = 0, notBackdrop = 0, opaque = 0, notLeaves = 0, dim = 0;
        for (size_t i = 0; i < mask.size(); ++i) {
            covered += mask[i];
            wrongStencil += stencil[i] != mask[i];
            if (!mask[i]) {
                notBackdrop += !sameRgb(lit, backdrop, i);
                continue;
            }
            if (leaves[i * 4 + 3] == 255) {
                ++opaque;
                notLeaves += !sameRgb(frame, leaves, i);
            }
            // The lit pass adds half the ambient 0.2 at least, and the highlight above it.
            for (size_t ch = i * 4; ch < i * 4 + 3; ++ch) {
                if (frame[ch] <= 200) {
                    dim += lit[ch] - frame[ch] < 25;
                    highlighted += lit[ch] - frame[ch] > 40;
                }
            }
        }
        EXPECT_EQ(wrongStencil, 0u);
        EXPECT_EQ(notBackdrop, 0u);
        EXPECT_EQ(notLeaves, 0u);
        EXPECT_EQ(dim, 0u);
        if (c.noFaces) {
            EXPECT_EQ(covered, 0u);
        } else { // a fair part of the view, with leaves opaque over a fair part of it
            EXPECT_GT(covered, size_t(kW * kH / 50));
            EXPECT_GT(opaque, covered / 10);
        }
    }
    EXPECT_GT(highlighted, 0u);
}

TEST_F(SceneFrame, LeavesItsStateForTheNextFrameAndTakesNoneFromBefore) {
    auto get = [](GLenum name) {
        GLint v = -1;
        glGetIntegerv(name, &v);
        return v;
    };
    view->myArcBall->SetOrientationWithAxisRotation({30, 0, 1, 0});
    view->display();
    const auto clean = readPixels(kW, kH), cleanStencil = readPixels(kW, kH, GL_STENCIL_INDEX);

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
    glTranslatef(4, 3, 2);
    glRotatef(70, 1, 1, 0);

    view->scroll += 0.0008f; // the leaves where they were
    view->display();
    glReadBuffer(GL_BACK);
    for (GLenum on : {GL_DEPTH_TEST, GL_LIGHTING, GL_BLEND, GL_CULL_FACE})
        EXPECT_EQ(get(on), GL_TRUE) << std::hex << on;
    for (GLenum off : {GL_TEXTURE_2D, GL_STENCIL_TEST, GL_POLYGON_OFFSET_FILL, GL_DEPTH_WRITEMASK})
        EXPECT_EQ(get(off), GL_FALSE) << std::hex << off;
    EXPECT_EQ(get(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(get(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(get(GL_TEXTURE_BINDING_2D), GLint(view->leaves->texture()));
    EXPECT_EQ(get(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(get(GL_DEPTH_FUNC), GL_LESS);
    GLfloat colour[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::count(colour, colour + 4, 1.0f), 4);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_TRUE(readPixels(kW, kH) == clean);
    EXPECT_TRUE(readPixels(kW, kH, GL_STENCIL_INDEX) == cleanStencil);
}

TEST(SceneScroll, StepsLeftEachFrameAndWrapsOnThe7250thToJustBelowZero) {
    // Small and faceless keeps 7250 frames cheap; the scroll depends on neither.
    QuietScene* view = loadView<QuietScene>(16, 16);
    ASSERT_NE(view, nullptr);
    view->myOBJ = modelWithoutFaces();
    view->display();
    EXPECT_EQ(view->scroll, static_cast<float>(-0.0008));
    for (int frame = 2; frame < 7250; ++frame)
        view->display();
    EXPECT_NEAR(view->scroll, -5.7992, 1e-4);
    view->display();
    EXPECT_NEAR(view->scroll, -0.00006, 1e-5);
    EXPECT_LT(view->scroll, 0.0f);
}

TEST(SceneBackdrop, FillsViewsUpToAbout1706TimesAsWideAsHighAndLeavesClearGreyBesideWiderOnes) {
    const std::pair<int, int> shapes[] = {
        {240, 240}, {409, 240} /* 1.704: just fills */, {420, 240}, {640, 240}, {240, 480}};
    for (auto [w, h] : shapes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        QuietScene* view = loadView<QuietScene>(float(w), float(h));
        ASSERT_NE(view, nullptr);
        view->display();
        const auto frame = readPixels(w, h);
        // The tile is 6.4 wide at distance 7 under a 30-degree vertical field of view.
        const double halfWidth = 7.0 * std::tan(15.0 * M_PI / 180.0) * w / h;
        const double margin = halfWidth <= 3.2 ? 0.0 : w / 2.0 * (1.0 - 3.2 / halfWidth);
        std::vector<int> grey(static_cast<size_t>(w));
        for (int i = 0; i < w * h; ++i)
            grey[size_t(i % w)] +=
                frame[i * 4] == 64 && frame[i * 4 + 1] == 64 && frame[i * 4 + 2] == 64;
        // Beside the tile every pixel is grey; on it, even at top and bottom, next to none.
        int wrongColumns = 0;
        for (int x = 0; x < w; ++x) {
            const int fromEdge = std::min(x, w - 1 - x);
            if (fromEdge < margin - 1)
                wrongColumns += grey[size_t(x)] != h;
            else if (fromEdge > margin + 1)
                wrongColumns += grey[size_t(x)] > h / 20;
        }
        EXPECT_EQ(wrongColumns, 0) << "margin " << margin;
    }
}
