// The viewer in process: its keys, wheel and drags, and the framing that
// makes models of any size and place the same unit model.
#include "viewer/ModelViewer.h"
#include "tests/app/ViewHarness.h"
#include "tests/support/CapturedOutput.h"
#include "viewer/ModelFraming.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>

namespace {

const char* const kModel = "/tmp/dravin_viewer_test_model.obj";

struct QuietViewer : ModelViewer {
    QuietViewer() : ModelViewer(kModel) {}
    void startThreads() override {}
};

QuietViewer* loadViewer() {
    std::ofstream(kModel) << "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//1 3//1\n";
    return loadView<QuietViewer>(200, 200);
}

host::Event key(char c) {
    host::Event e;
    e.characters = std::string(1, c);
    return e;
}

host::Event pointer(float x, float y, int button = 0, float wheel = 0) {
    host::Event e;
    e.locationInWindow = {x, y};
    e.buttonNumber = button;
    e.deltaY = wheel;
    return e;
}

} // namespace

TEST(ModelViewer, EachKeySwitchesItsRenderFlagAndPrintsTheWholeStateInOneLine) {
    QuietViewer* v = loadViewer();
    ASSERT_NE(v, nullptr);
    MyOBJ& m = *v->myOBJ;
    // Loaded with normals and no materials: smooth, faces, nothing else.
    const std::string start = "smooth on, faces on, wireframe off, normals off, materials off, "
                              "textures off\n";
    struct Case {
        char key;
        bool (MyOBJ::*flag)() const;
        std::string state;
    };
    const Case cases[] = {
        {'s', &MyOBJ::rendersSmooth, "smooth off, faces on, wireframe off"},
        {'F', &MyOBJ::rendersFaces, "smooth on, faces off, wireframe off"},
        {'w', &MyOBJ::rendersWireframes, "smooth on, faces on, wireframe on"},
        {'N', &MyOBJ::rendersNormals, "wireframe off, normals on, materials off"},
        {'m', &MyOBJ::rendersMaterials, "normals off, materials on, textures off"},
        {'T', &MyOBJ::rendersTextures, "materials off, textures on\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const bool before = (m.*c.flag)();
        test::CapturedOutput first;
        v->keyDown(key(c.key));
        EXPECT_EQ((m.*c.flag)(), !before);
        const std::string line = first.out();
        EXPECT_NE(line.find(c.state), std::string::npos) << line;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
        test::CapturedOutput second;
        v->keyDown(key(char(std::tolower(c.key))));
        EXPECT_EQ(second.out(), start);
    }
    test::CapturedOutput other;
    v->keyDown(key('x'));
    v->keyDown(host::Event{});
    EXPECT_EQ(other.out(), "");
}

TEST(ModelViewer, WheelZoomsWithinLimitsDragsTurnOnlyFromAPressAndRResetsBoth) {
    QuietViewer* v = loadViewer();
    ASSERT_NE(v, nullptr);
    const AxisRotation home = v->myArcBall->GetOrientation();
    v->scrollWheel(pointer(0, 0, 0, 1));
    EXPECT_LT(v->zoom, 1.0f); // away from the user: nearer
    for (float wheel : {100.0f, -1000.0f, std::numeric_limits<float>::quiet_NaN()})
        v->scrollWheel(pointer(0, 0, 0, wheel));
    EXPECT_EQ(v->zoom, 12.0f);
    v->scrollWheel(pointer(0, 0, 0, 1000));
    EXPECT_EQ(v->zoom, 0.25f);

    // A drag with a button that was never pressed here turns nothing.
    v->otherMouseDragged(pointer(150, 150, 2));
    EXPECT_EQ(v->myArcBall->GetOrientation().angle, home.angle);
    for (int button : {0, 2}) {
        SCOPED_TRACE(button);
        button == 0 ? v->mouseDown(pointer(100, 100)) : v->otherMouseDown(pointer(100, 100, 2));
        button == 0 ? v->mouseDragged(pointer(160, 120))
                    : v->otherMouseDragged(pointer(160, 120, 2));
        button == 0 ? v->mouseUp(pointer(160, 120)) : v->otherMouseUp(pointer(160, 120, 2));
        EXPECT_GT(std::abs(v->myArcBall->GetOrientation().angle - home.angle), 5.0f);
        v->keyDown(key('R'));
        EXPECT_EQ(v->myArcBall->GetOrientation().angle, home.angle);
        EXPECT_EQ(v->zoom, 1.0f);
    }
}

TEST(ModelFraming, AnyBoxBecomesTheUnitSphereAboutTheOriginAndNonFiniteVerticesAreLeftOut) {
    auto m = std::make_unique<MyOBJ>();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Far from the origin, where a float's step is 1/128: the model is
    // moved in double, so its corners land exactly.
    m->mVerts[0] = {100000.0f, -50000.0f, 80000.0f};
    m->mVerts[1] = {100002.0f, -49998.0f, 80002.0f};
    m->mVerts[2] = {nan, 0.0f, 1e30f};
    m->mVerts[3] = {std::numeric_limits<float>::infinity(), 0.0f, 0.0f};
    m->mVertCount = 4;
    const ModelBounds b = boundsOfVertices(m->mVerts, 4);
    ASSERT_TRUE(b.found);
    EXPECT_EQ(b.max[0], 100002.0);
    fitIntoUnitSphere(*m);
    const float c = float(1 / std::sqrt(3.0));
    EXPECT_EQ(m->mVerts[0].x, -c);
    EXPECT_EQ(m->mVerts[1].z, c);
    EXPECT_FALSE(boundsOfVertices(m->mVerts + 2, 2).found);

    // A view narrower than tall is framed by its width.
    EXPECT_NEAR(framingDistance(30, 1.0f), 1.08 / std::sin(15 * M_PI / 180), 1e-5);
    EXPECT_NEAR(framingDistance(30, 0.5f),
                1.08 / std::sin(std::atan(std::tan(15 * M_PI / 180) / 2)), 1e-4);
}
