// What one frame of the scene shows, read back from a real offscreen context
// and compared with the model, the backdrop and the leaves drawn alone.
#include "tests/scene/SceneHarness.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace scenetest;

namespace {

constexpr int kW = 320;
constexpr int kH = 240;

struct OrientationCase {
    const char* name;
    AxisRotation orientation;
};

const OrientationCase kOrientations[] = {
    {"identity", {0, 0, 0, 1}},
    {"quarter turn about y", {90, 0, 1, 0}},
    {"tilted", {37, 1, 0.5f, 0.25f}},
    {"upside down", {180, 1, 0, 0}},
};

size_t count(const std::vector<bool>& mask) {
    size_t n = 0;
    for (bool b : mask)
        n += b;
    return n;
}

// With the global ambient light and the highlight off, the lit pass adds
// nothing, so what the earlier passes drew can be compared exactly.
void switchOffHighlight() {
    const GLfloat none[4] = {0, 0, 0, 0};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
    glLightfv(GL_LIGHT0, GL_SPECULAR, none);
}

} // namespace

TEST(SceneFrame, StencilHoldsOneExactlyWhereTheModelCovers) {
    QuietScene* view = loadView<QuietScene>(kW, kH);
    ASSERT_NE(view, nullptr);
    for (const auto& c : kOrientations) {
        SCOPED_TRACE(c.name);
        view->myArcBall->SetOrientationWithAxisRotation(c.orientation);
        view->display();
        std::vector<uint8_t> stencil = readStencil(kW, kH);
        std::vector<bool> mask = coverage(*view, kW, kH);
        // The model sits well inside the view, neither tiny nor filling it.
        EXPECT_GT(count(mask), size_t(kW * kH / 50));
        EXPECT_LT(count(mask), size_t(kW * kH / 2));
        size_t wrong = 0;
        for (size_t i = 0; i < mask.size(); ++i)
            wrong += stencil[i] != (mask[i] ? 1 : 0);
        EXPECT_EQ(wrong, 0u);
    }
}

TEST(SceneFrame, OutsideTheSilhouetteOnlyTheBackdropShows) {
    QuietScene* view = loadView<QuietScene>(kW, kH);
    ASSERT_NE(view, nullptr);
    for (const auto& c : kOrientations) {
        SCOPED_TRACE(c.name);
        view->myArcBall->SetOrientationWithAxisRotation(c.orientation);
        view->display();
        Pixels frame = readColour(kW, kH);
        std::vector<bool> mask = coverage(*view, kW, kH);
        Pixels backdrop = backdropAlone(*view, kW, kH);
        size_t differ = 0, inside = 0;
        for (int i = 0; i < kW * kH; ++i) {
            if (!mask[i])
                differ += !frame.sameAt(backdrop, i);
            else
                inside += !frame.sameAt(backdrop, i);
        }
        EXPECT_EQ(differ, 0u);
        // Inside, the model, the leaves and the highlight change nearly everything.
        EXPECT_GT(inside, count(mask) * 9 / 10);
    }
}

TEST(SceneFrame, WhereTheLeavesAreOpaqueInsideTheSilhouetteTheLeavesAtTheScrollShow) {
    QuietScene* view = loadView<QuietScene>(kW, kH);
    ASSERT_NE(view, nullptr);
    switchOffHighlight();
    const float scrolls[] = {0.0f, -1.5f, -5.0f, -3.0f};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(kOrientations[k].name);
        view->myArcBall->SetOrientationWithAxisRotation(kOrientations[k].orientation);
        view->scroll = scrolls[k];
        view->display();
        Pixels frame = readColour(kW, kH);
        std::vector<bool> mask = coverage(*view, kW, kH);
        Pixels here = leavesAlone(*view, view->scroll, kW, kH);
        // Half a unit on, the silhouette would hold another part of the pattern.
        Pixels elsewhere = leavesAlone(*view, view->scroll + 0.5f, kW, kH);
        size_t opaque = 0, wrong = 0, matchElsewhere = 0;
        for (int i = 0; i < kW * kH; ++i) {
            if (mask[i] && here.rgba[i * 4 + 3] == 255) {
                ++opaque;
                wrong += !frame.sameAt(here, i);
                matchElsewhere += frame.sameAt(elsewhere, i);
            }
        }
        EXPECT_GT(opaque, count(mask) / 10);
        EXPECT_EQ(wrong, 0u);
        EXPECT_LT(matchElsewhere, opaque / 2);
    }
}

TEST(SceneFrame, TheLitPassAddsLightInsideTheSilhouetteOnly) {
    QuietScene* view = loadView<QuietScene>(kW, kH);
    ASSERT_NE(view, nullptr);
    view->display();
    Pixels lit = readColour(kW, kH);
    std::vector<bool> mask = coverage(*view, kW, kH);
    switchOffHighlight();
    view->scroll = 0;
    view->display();
    Pixels dark = readColour(kW, kH);
    // Half of the default global ambient 0.2 is added at least, plus the highlight.
    size_t checked = 0, tooLittle = 0, highlighted = 0, outside = 0;
    for (int i = 0; i < kW * kH; ++i) {
        if (!mask[i]) {
            outside += !lit.sameAt(dark, i);
            continue;
        }
        for (int ch = 0; ch < 3; ++ch) {
            const int before = dark.rgba[i * 4 + ch], after = lit.rgba[i * 4 + ch];
            if (before > 200)
                continue;
            ++checked;
            tooLittle += after - before < 25;
            highlighted += after - before > 40;
        }
    }
    EXPECT_EQ(outside, 0u);
    EXPECT_GT(checked, count(mask));
    EXPECT_EQ(tooLittle, 0u);
    EXPECT_GT(highlighted, 0u);
}

TEST(SceneFrame, AModelWithNoFacesLeavesTheBackdropAlone) {
    QuietScene* view = loadView<QuietScene>(kW, kH);
    ASSERT_NE(view, nullptr);
    view->myOBJ = std::make_unique<MyOBJ>();
    testing::internal::CaptureStdout();
    view->myOBJ->loadOBJText("o Empty\nv 0 0 0\nv 5 0 0\nv 0 5 0\nvt 0 0\nvn 0 0 1\n");
    testing::internal::GetCapturedStdout();
    view->display();
    Pixels frame = readColour(kW, kH);
    std::vector<uint8_t> stencil = readStencil(kW, kH);
    Pixels backdrop = backdropAlone(*view, kW, kH);
    size_t differ = 0, marked = 0;
    for (int i = 0; i < kW * kH; ++i) {
        differ += !frame.sameAt(backdrop, i);
        marked += stencil[i] != 0;
    }
    EXPECT_EQ(differ, 0u);
    EXPECT_EQ(marked, 0u);
}

namespace {

// Wakes without its world, as when the host redraws before initWorld has run.
class SceneWithoutWorld : public QuietScene {
  public:
    void initWorld() override {}
};

} // namespace

TEST(SceneFrame, AFrameBeforeTheWorldExistsIsSkipped) {
    SceneWithoutWorld* view = loadView<SceneWithoutWorld>(kW, kH);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->myOBJ, nullptr);
    view->drawFrames = 0;
    view->window()->setFrame({0, 0, 400, 300}, true); // the host resizes and redraws at once
    view->display();
    EXPECT_EQ(view->drawFrames.load(), 2);
    EXPECT_EQ(view->scroll, 0.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    testing::internal::CaptureStdout();
    view->dravinView::initWorld();
    testing::internal::GetCapturedStdout();
    view->display();
    EXPECT_EQ(view->scroll, static_cast<float>(-0.0008));
    std::vector<uint8_t> stencil = readStencil(400, 300);
    EXPECT_GT(std::count(stencil.begin(), stencil.end(), 1), 1000);
}
