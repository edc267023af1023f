#include "math/ArcBall.h"

#include "tests/math/MathExpect.h"

#include <cmath>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

void ExpectIdentity(const ArcBall& ball) {
    ExpectQuaternion(ball.orientationStart, {0, 0, 0, 1});
    ExpectQuaternion(ball.orientationNow, {0, 0, 0, 1});
}

TEST(ArcBall, NewControllerHasNoRotationUnitRadiusAndZeroPoints) {
    const ArcBall ball;
    ExpectIdentity(ball);
    EXPECT_EQ(ball.radius, 1.0f);
    ExpectVector(ball.dragStart, {0, 0, 0});
    ExpectVector(ball.dragNow, {0, 0, 0});
    ExpectAxisRotation(ball.GetOrientation(), {0, 1, 0, 0});
}

TEST(ArcBall, ConstructorWithRotationSetsBothOrientations) {
    const ArcBall ball(MakeAxisRotationAXYZ(90, 0, 0, 1));
    ExpectQuaternion(ball.orientationStart, {0, 0, 0.70710677f, 0.70710683f});
    ExpectQuaternion(ball.orientationNow, {0, 0, 0.70710677f, 0.70710683f});
    EXPECT_EQ(ball.radius, 1.0f);
}

// Single drags from the centre of a new controller.
struct DragCase {
    const char* name;
    float x, y;
    Vector3D dragNow;
    AxisRotation orientation;
};

void PrintTo(const DragCase& c, std::ostream* os) {
    *os << c.name;
}

class ArcBallDrag : public ::testing::TestWithParam<DragCase> {};

TEST_P(ArcBallDrag, FromCentreTurnsByTheUnnormalisedCrossProduct) {
    const DragCase& c = GetParam();
    ArcBall ball;
    ball.StartDragWithX(0, 0);
    ball.DragWithX(c.x, c.y);
    ExpectVector(ball.dragStart, {0, 0, 1});
    ExpectVector(ball.dragNow, c.dragNow);
    ExpectAxisRotation(ball.GetOrientation(), c.orientation);
    ExpectQuaternion(ball.orientationStart, {0, 0, 0, 1});
}

INSTANTIATE_TEST_SUITE_P(
    WorkedValues, ArcBallDrag,
    ::testing::Values(
        // On the sphere, a short arc: half-length axis, about half the 30° turn.
        DragCase{"ShortArcRight", 0.5f, 0, {0.5f, 0, 0.8660254f}, {15.261498f, 0, 1, 0}},
        // Dragging upward turns the front upward.
        DragCase{"ShortArcUp", 0, 0.5f, {0, 0.5f, 0.8660254f}, {15.261498f, -1, 0, 0}},
        DragCase{"ToTheRim", 1, 0, {1, 0, 0}, {90.000069f, 0, 1, 0}},
        // Outside the sphere the point stays in the plane and the axis grows.
        DragCase{"OutsideTheSphere", 2, 0, {2, 0, 0}, {126.86996f, 0, 1, 0}},
        DragCase{"SamePoint", 0, 0, {0, 0, 1}, {0, 1, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArcBall, DragOnSphereGivesWorkedQuaternion) {
    ArcBall ball;
    ball.StartDragWithX(0, 0);
    ball.DragWithX(0.5f, 0);
    EXPECT_EQ(Vector3DGetAngle(ball.dragStart, ball.dragNow), 30.000027f);
    ExpectVector(Vector3DCross(ball.dragStart, ball.dragNow), {0, 0.5f, 0});
    ExpectQuaternion(ball.orientationNow, {0, 0.13278829f, 0, 0.99114442f});
}

TEST(ArcBall, DragOutsideSphereGivesWorkedQuaternion) {
    ArcBall ball;
    ball.StartDragWithX(0, 0);
    ball.DragWithX(2, 0);
    ExpectQuaternion(ball.orientationNow, {0, 0.89442742f, 0, 0.44721314f});
}

TEST(ArcBall, StartDragLeavesBothOrientationsAlone) {
    ArcBall ball;
    ball.StartDragWithX(0, 0);
    ball.DragWithX(1, 0);
    ball.EndDrag();
    const Quaternion before = ball.orientationNow;
    ball.StartDragWithX(0.3f, -0.2f);
    ExpectQuaternion(ball.orientationStart, before);
    ExpectQuaternion(ball.orientationNow, before);
}

TEST(ArcBall, EachDragStepStartsAfreshFromTheCommittedOrientation) {
    ArcBall direct, wandering;
    direct.StartDragWithX(0, 0);
    direct.DragWithX(0.5f, 0);
    wandering.StartDragWithX(0, 0);
    wandering.DragWithX(-0.7f, 0.4f);
    wandering.DragWithX(0.9f, 0.1f);
    wandering.DragWithX(0.5f, 0);
    ExpectQuaternion(wandering.orientationNow, direct.orientationNow);
}

TEST(ArcBall, EndDragCommitsAndParksBothPointsAtOneOneOne) {
    ArcBall ball;
    ball.StartDragWithX(0, 0);
    ball.DragWithX(0.5f, 0);
    ball.EndDrag();
    ExpectQuaternion(ball.orientationStart, {0, 0.13278829f, 0, 0.99114442f});
    ExpectVector(ball.dragStart, {1, 1, 1});
    ExpectVector(ball.dragNow, {1, 1, 1});
}

TEST(ArcBall, SecondDragComposesOntoTheFirst) {
    ArcBall ball;
    for (int i = 0; i < 2; ++i) {
        ball.StartDragWithX(0, 0);
        ball.DragWithX(1, 0);
        if (i == 0) {
            ball.EndDrag();
        }
    }
    ExpectQuaternion(ball.orientationNow, {0, 1, 0, -1.2516975e-06f});
    ExpectAxisRotation(ball.GetOrientation(), {180.00015f, 0, 1, 0});
}

TEST(ArcBall, SetOrientationReplacesBothOrientationsMidDrag) {
    ArcBall ball;
    ball.StartDragWithX(0, 0);
    ball.DragWithX(1, 0);
    ball.SetOrientationWithAxisRotation(MakeAxisRotationAXYZ(0, 1, 0, 0));
    ExpectIdentity(ball);
}

// The drag would have no angle; the orientation must not turn into NaN, which
// EndDrag would commit for good.
TEST(ArcBall, DragWithoutStartPointKeepsTheCommittedOrientation) {
    ArcBall ball;
    ball.DragWithX(0.5f, 0.25f);
    ExpectIdentity(ball);
    ball.EndDrag();
    ball.StartDragWithX(0, 0);
    ball.DragWithX(1, 0);
    ExpectAxisRotation(ball.GetOrientation(), {90.000069f, 0, 1, 0});
}

TEST(ArcBall, NonFinitePointerKeepsTheCommittedOrientation) {
    for (float bad : {INFINITY, -INFINITY, NAN}) {
        ArcBall ball(MakeAxisRotationAXYZ(90, 0, 0, 1));
        ball.StartDragWithX(0, 0);
        ball.DragWithX(bad, 0);
        ExpectQuaternion(ball.orientationNow, {0, 0, 0.70710677f, 0.70710683f});
    }
}

} // namespace
