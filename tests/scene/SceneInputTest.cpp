// Mouse input through the host's real event path: which buttons turn the
// model, and that the turn is the arcball's own for the same pointer positions.
#include "host/EventInjection.h"
#include "tests/scene/SceneHarness.h"

#include <gtest/gtest.h>
#include <vector>

using namespace scenetest;

namespace {

// 400 by 400: whole pixels map to exact pointer coordinates (300 -> 0.5).
constexpr int kSize = 400;

float normalised(int pixel) {
    return float(pixel) / float(kSize) * 2.0f - 1.0f;
}

struct Step {
    enum Kind { move, press, drag, release } kind;
    int x, y;
};

void post(const host::Window& w, int button, const Step& s) {
    switch (s.kind) {
    case Step::move:
        host::postMouseMotion(w, 0, float(s.x), float(s.y));
        break;
    case Step::press:
        host::postMouseButton(w, button, true, float(s.x), float(s.y));
        break;
    case Step::drag:
        host::postMouseMotion(w, 1u << button, float(s.x), float(s.y));
        break;
    case Step::release:
        host::postMouseButton(w, button, false, float(s.x), float(s.y));
        break;
    }
}

// The arcball as the scene should drive it: a press starts where the pointer
// was last seen, not where the press happened.
ArcBall expectedArcBall(const std::vector<Step>& steps) {
    ArcBall a;
    float x = 0, y = 0;
    for (const Step& s : steps) {
        if (s.kind == Step::move || s.kind == Step::drag) {
            x = normalised(s.x);
            y = normalised(s.y);
        }
        if (s.kind == Step::press)
            a.StartDragWithX(x, y);
        else if (s.kind == Step::drag)
            a.DragWithX(x, y);
        else if (s.kind == Step::release)
            a.EndDrag();
    }
    return a;
}

void expectSameOrientation(const ArcBall& actual, const ArcBall& expected) {
    const AxisRotation a = actual.GetOrientation(), e = expected.GetOrientation();
    EXPECT_EQ(a.angle, e.angle);
    EXPECT_EQ(a.x, e.x);
    EXPECT_EQ(a.y, e.y);
    EXPECT_EQ(a.z, e.z);
}

struct InputCase {
    const char* name;
    int button;
    std::vector<Step> steps;
};

const std::vector<Step> kTurn = {{Step::move, 300, 200}, {Step::press, 300, 200},
                                 {Step::drag, 300, 300}, {Step::drag, 200, 300},
                                 {Step::drag, 100, 250}, {Step::release, 100, 250}};
// Two drags, the second starting where the pointer rests after the first.
const std::vector<Step> kTwoTurns = {{Step::move, 200, 100}, {Step::press, 200, 100},
                                     {Step::drag, 350, 150}, {Step::release, 350, 150},
                                     {Step::move, 100, 200}, {Step::press, 100, 200},
                                     {Step::drag, 150, 380}, {Step::release, 150, 380}};
// Leaving the view passes coordinates beyond -1..+1 to the arcball.
const std::vector<Step> kOutside = {{Step::move, 200, 200},
                                    {Step::press, 200, 200},
                                    {Step::drag, 700, 200},
                                    {Step::drag, 600, -300},
                                    {Step::release, 600, -300}};

class SceneInput : public testing::TestWithParam<InputCase> {};

} // namespace

TEST_P(SceneInput, TurnsTheModelAsTheArcballDoesForTheSamePositions) {
    const InputCase& c = GetParam();
    QuietScene* view = loadView<QuietScene>(kSize, kSize);
    ASSERT_NE(view, nullptr);
    for (const Step& s : c.steps)
        post(*view->window(), c.button, s);
    host::Application::shared().runFor(0.1);
    ArcBall expected = expectedArcBall(c.steps);
    EXPECT_NE(expected.GetOrientation().angle, 0.0f); // the case does turn
    expectSameOrientation(*view->myArcBall, expected);
}

INSTANTIATE_TEST_SUITE_P(Drags, SceneInput,
                         testing::Values(InputCase{"PrimaryButton", 0, kTurn},
                                         InputCase{"MiddleButton", 2, kTurn},
                                         InputCase{"FurtherButton", 3, kTurn},
                                         InputCase{"PrimaryTwoDrags", 0, kTwoTurns},
                                         InputCase{"MiddleTwoDrags", 2, kTwoTurns},
                                         InputCase{"PrimaryBeyondTheView", 0, kOutside}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SceneInputButtons, SecondaryButtonTurnsNothing) {
    QuietScene* view = loadView<QuietScene>(kSize, kSize);
    ASSERT_NE(view, nullptr);
    for (const Step& s : kTurn)
        post(*view->window(), 1, s);
    host::Application::shared().runFor(0.1);
    EXPECT_EQ(view->myArcBall->GetOrientation().angle, 0.0f);
}

TEST(SceneInputButtons, APressBeforeAnyMovementStartsAtTheCentre) {
    QuietScene* view = loadView<QuietScene>(kSize, kSize);
    ASSERT_NE(view, nullptr);
    const std::vector<Step> steps = {
        {Step::press, 80, 120}, {Step::drag, 300, 200}, {Step::release, 300, 200}};
    for (const Step& s : steps)
        post(*view->window(), 0, s);
    host::Application::shared().runFor(0.1);
    ArcBall fromCentre;
    fromCentre.StartDragWithX(0, 0);
    fromCentre.DragWithX(0.5f, 0);
    expectSameOrientation(*view->myArcBall, fromCentre);
    ArcBall fromPress;
    fromPress.StartDragWithX(normalised(80), normalised(120));
    fromPress.DragWithX(0.5f, 0);
    EXPECT_NE(view->myArcBall->GetOrientation().angle, fromPress.GetOrientation().angle);
}

TEST(SceneInputButtons, APressAndReleaseWithoutADragKeepsTheOrientation) {
    QuietScene* view = loadView<QuietScene>(kSize, kSize);
    ASSERT_NE(view, nullptr);
    for (const Step& s : kTurn)
        post(*view->window(), 0, s);
    host::Application::shared().runFor(0.1);
    const AxisRotation before = view->myArcBall->GetOrientation();
    for (int button : {0, 2}) {
        post(*view->window(), button, {Step::move, 50, 350});
        post(*view->window(), button, {Step::press, 50, 350});
        post(*view->window(), button, {Step::release, 50, 350});
    }
    host::Application::shared().runFor(0.1);
    const AxisRotation after = view->myArcBall->GetOrientation();
    EXPECT_EQ(after.angle, before.angle);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    EXPECT_EQ(after.z, before.z);
}

TEST(SceneInputButtons, ADragTurnsTheSilhouetteTheNextFrameDraws) {
    QuietScene* view = loadView<QuietScene>(kSize, kSize);
    ASSERT_NE(view, nullptr);
    view->display();
    const std::vector<uint8_t> still = readStencil(kSize, kSize);
    for (const Step& s : kTurn)
        post(*view->window(), 0, s);
    host::Application::shared().runFor(0.1);
    view->display();
    const std::vector<uint8_t> turned = readStencil(kSize, kSize);
    const std::vector<bool> mask = coverage(*view, kSize, kSize);
    size_t changed = 0, wrong = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        changed += turned[i] != still[i];
        wrong += turned[i] != (mask[i] ? 1 : 0);
    }
    EXPECT_GT(changed, mask.size() / 100);
    EXPECT_EQ(wrong, 0u);
}

TEST(SceneInputButtons, InputBeforeTheWorldExistsOnlyMovesThePointer) {
    struct SceneWithoutWorld : QuietScene {
        void initWorld() override {}
    };
    SceneWithoutWorld* view = loadView<SceneWithoutWorld>(kSize, kSize);
    ASSERT_NE(view, nullptr);
    for (int button : {0, 2})
        for (const Step& s : kTurn)
            post(*view->window(), button, s);
    host::Application::shared().runFor(0.1);
    EXPECT_EQ(view->myArcBall, nullptr);
    EXPECT_EQ(view->mouseLoc.x, -0.5f);
    EXPECT_EQ(view->mouseLoc.y, 0.25f);
}
