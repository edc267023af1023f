// Mouse input through the host's real event path: which buttons turn the
// model, and that the turn is the arcball's own for the same pointer positions.
#include "tests/support/MathExpect.h"
#include "tests/support/SceneHarness.h"
#include "tests/support/EventInjection.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

using namespace scenetest;

namespace {

// 400 by 400: whole pixels map to exact pointer coordinates (300 -> 0.5).
constexpr int kSize = 400;

// 'm' moves, 'p' presses, 'd' drags, 'r' releases, at a pixel of the view.
using Step = std::tuple<char, float, float>;

// Posts the steps with the button and returns the arcball as the scene should
// drive it: a press starts where the pointer was last seen (the centre before
// any movement), not where the press happened.
ArcBall post(dravinView& view, int button, const std::vector<Step>& steps) {
    ArcBall a;
    float x = 0, y = 0;
    for (const auto& [kind, px, py] : steps) {
        if (kind == 'p' || kind == 'r') {
            host::postMouseButton(*view.window(), button, kind == 'p', px, py);
            kind == 'p' ? a.StartDragWithX(x, y) : a.EndDrag();
            continue;
        }
        host::postMouseMotion(*view.window(), kind == 'd' ? 1u << button : 0u, px, py);
        x = px / (kSize / 2.0f) - 1.0f, y = py / (kSize / 2.0f) - 1.0f;
        if (kind == 'd')
            a.DragWithX(x, y);
    }
    host::Application::shared().runFor(0.1);
    return a;
}

const std::vector<Step> kTurn = {{'m', 300, 200}, {'p', 300, 200}, {'d', 300, 300},
                                 {'d', 200, 300}, {'d', 100, 250}, {'r', 100, 250}};
// The second drag starts where the pointer rests and leaves the view, which
// passes coordinates beyond -1..+1 to the arcball.
const std::vector<Step> kTwoDrags = {{'m', 200, 100}, {'p', 200, 100},  {'d', 350, 150},
                                     {'r', 350, 150}, {'m', 100, 200},  {'p', 100, 200},
                                     {'d', 150, 380}, {'d', 700, -300}, {'r', 700, -300}};

} // namespace

TEST(SceneInput, PrimaryAndMiddleDragsTurnTheModelAsTheArcballDoesAndSecondaryNothing) {
    // Button (0 primary, 1 secondary, 2 middle) and steps; the last drag starts
    // before any movement.
    // clang-format off
    const std::pair<int, std::vector<Step>> cases[] = {{0, kTurn}, {2, kTurn}, {1, kTurn},
        {2, kTwoDrags}, {0, {{'p', 80, 120}, {'d', 300, 200}, {'r', 300, 200}}}};
    // clang-format on
    // One window for all: a window each would load the GL driver anew.
    QuietScene* view = loadView<QuietScene>(kSize, kSize);
    ASSERT_NE(view, nullptr);
    for (const auto& [button, steps] : cases) {
        SCOPED_TRACE(testing::Message() << "button " << button << ", " << steps.size() << " steps");
        view->myArcBall = std::make_unique<ArcBall>(); // unturned, the pointer not yet seen
        view->mouseLoc = {};
        const ArcBall expected = post(*view, button, steps);
        // The secondary button is not handled: the model stays as it was.
        ExpectRows<AxisRotation>({{"turn", view->myArcBall->GetOrientation(),
                                   (button == 1 ? ArcBall() : expected).GetOrientation()}});
    }
}

TEST(SceneInput, BeforeTheWorldExistsInputOnlyMovesThePointerAndFramesAreSkipped) {
    SceneWithoutWorld* view = loadView<SceneWithoutWorld>(kSize, kSize);
    ASSERT_NE(view, nullptr);
    post(*view, 0, kTurn);
    post(*view, 2, kTurn);
    EXPECT_EQ(std::pair(view->mouseLoc.x, view->mouseLoc.y), std::pair(-0.5f, 0.25f));

    view->drawFrames = 0;
    view->window()->setFrame({0, 0, 400, 300}, true); // the host resizes and redraws at once
    view->display();
    EXPECT_EQ(view->drawFrames.load(), 2);
    EXPECT_EQ(view->scroll, 0.0f);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
