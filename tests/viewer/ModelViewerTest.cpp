// The viewer in process: its keys, its wheel and its drags.
#include "viewer/ModelViewer.h"
#include "tests/app/ViewHarness.h"
#include "tests/support/CapturedOutput.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

namespace {

struct QuietViewer : ModelViewer {
    QuietViewer() : ModelViewer("/tmp/dravin_viewer_test.obj") {}
    void startThreads() override {}
};

host::Event event(char key, float x = 0, float y = 0, int button = 0, float wheel = 0) {
    return {{x, y}, key ? std::string(1, key) : "", button, 0, wheel};
}

class ModelViewerTest : public testing::Test {
  protected:
    void SetUp() override {
        std::ofstream("/tmp/dravin_viewer_test.obj")
            << "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n";
        ASSERT_NE(v = loadView<QuietViewer>(200, 200), nullptr);
    }
    QuietViewer* v{};
};

} // namespace

TEST_F(ModelViewerTest, EachKeySwitchesItsRenderFlagAndPrintsTheWholeStateInOneLine) {
    // Loaded with normals and no materials: smooth faces and nothing else.
    const char* flags[] = {"smooth", "faces", "wireframe", "normals", "materials", "textures"};
    bool state[] = {true, true, false, false, false, false};
    const std::string keys = "sFwNmTSfWnMt"; // each flag's key twice, in either case
    for (size_t k = 0; k < keys.size(); ++k) {
        test::CapturedOutput out;
        v->keyDown(event(keys[k]));
        state[k % 6] = !state[k % 6];
        std::string line;
        for (size_t f = 0; f < 6; ++f)
            line += std::string(f ? ", " : "") + flags[f] + (state[f] ? " on" : " off");
        EXPECT_EQ(out.out(), line + "\n");
        const MyOBJ& m = *v->myOBJ;
        const bool now[] = {m.rendersSmooth(),  m.rendersFaces(),     m.rendersWireframes(),
                            m.rendersNormals(), m.rendersMaterials(), m.rendersTextures()};
        EXPECT_EQ(now[k % 6], state[k % 6]);
    }
    test::CapturedOutput other;
    v->keyDown(event('x'));
    v->keyDown(event(0));
    EXPECT_EQ(other.out(), "");
}

TEST_F(ModelViewerTest, WheelZoomsWithinLimitsDragsTurnOnlyFromAPressAndRResetsBoth) {
    const float home = v->myArcBall->GetOrientation().angle;
    v->scrollWheel(event(0, 0, 0, 0, 1));
    EXPECT_LT(v->zoom, 1.0f); // away from the user: nearer
    for (float wheel : {100.0f, -1000.0f, NAN})
        v->scrollWheel(event(0, 0, 0, 0, wheel));
    EXPECT_EQ(v->zoom, 12.0f);
    // A drag with a button that was never pressed here turns nothing.
    v->otherMouseDragged(event(0, 150, 150, 2));
    EXPECT_EQ(v->myArcBall->GetOrientation().angle, home);
    for (int b : {0, 2}) {
        b ? v->otherMouseDown(event(0, 100, 100, b)) : v->mouseDown(event(0, 100, 100));
        b ? v->otherMouseDragged(event(0, 160, 120, b)) : v->mouseDragged(event(0, 160, 120));
        b ? v->otherMouseUp(event(0, 160, 120, b)) : v->mouseUp(event(0, 160, 120));
        EXPECT_GT(std::abs(v->myArcBall->GetOrientation().angle - home), 5.0f) << b;
        v->keyDown(event('R'));
        EXPECT_EQ(v->myArcBall->GetOrientation().angle, home);
        EXPECT_EQ(v->zoom, 1.0f);
    }
}
