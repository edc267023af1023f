#include "math/ArcBall.h"

#include "tests/math/MathExpect.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

const Quaternion kIdentity{0, 0, 0, 1}, kQuarterAboutZ{0, 0, 0.70710677f, 0.70710683f};

ArcBall DragFromCentre(float x, float y, ArcBall ball = {}) {
    ball.StartDragWithX(0, 0);
    ball.DragWithX(x, y);
    return ball;
}

// The axis is the cross product as it comes: a short arc turns about half its
// angle, and a drag outside the sphere (the point stays in the plane) further.
TEST(ArcBall, DragFromTheCentreMatchesTheWorkedValues) {
    const ArcBall right = DragFromCentre(0.5f, 0), up = DragFromCentre(0, 0.5f),
                  rim = DragFromCentre(1, 0), out = DragFromCentre(2, 0),
                  same = DragFromCentre(0, 0);
    ExpectRows<Vector3D>({
        {"start", right.dragStart, {0, 0, 1}},
        {"right", right.dragNow, {0.5f, 0, 0.8660254f}},
        {"right axis", Vector3DCross(right.dragStart, right.dragNow), {0, 0.5f, 0}},
        {"rim", rim.dragNow, {1, 0, 0}},
        {"outside", out.dragNow, {2, 0, 0}},
        {"outside axis", Vector3DCross(out.dragStart, out.dragNow), {0, 2, 0}},
        {"same axis", Vector3DCross(same.dragStart, same.dragNow), {0, 0, 0}},
    });
    ExpectRows<float>({
        {"right angle", Vector3DGetAngle(right.dragStart, right.dragNow), 30.000027f},
        {"same angle", Vector3DGetAngle(same.dragStart, same.dragNow), 0},
    });
    ExpectRows<Quaternion>({
        {"right", right.orientationNow, {0, 0.13278829f, 0, 0.99114442f}},
        {"outside", out.orientationNow, {0, 0.89442742f, 0, 0.44721314f}},
        {"same", same.orientationNow, kIdentity},
        {"start untouched", out.orientationStart, kIdentity},
    });
    ExpectRows<AxisRotation>({
        {"right", right.GetOrientation(), {15.261498f, 0, 1, 0}},
        {"up turns the front up", up.GetOrientation(), {15.261498f, -1, 0, 0}},
        {"rim", rim.GetOrientation(), {90.000069f, 0, 1, 0}},
        {"outside", out.GetOrientation(), {126.86996f, 0, 1, 0}},
        {"same", same.GetOrientation(), {0, 1, 0, 0}},
    });
}

TEST(ArcBall, EndDragCommitsAndASecondDragComposesOntoTheFirst) {
    ArcBall ball = DragFromCentre(1, 0);
    const Quaternion first = ball.orientationNow;
    ball.EndDrag();
    ExpectRows<Vector3D>(
        {{"parked start", ball.dragStart, {1, 1, 1}}, {"parked now", ball.dragNow, {1, 1, 1}}});
    ball.StartDragWithX(0.3f, -0.2f);
    ExpectRows<Quaternion>({
        {"committed", ball.orientationStart, first},
        {"start drag leaves it", ball.orientationNow, first},
    });
    ball = DragFromCentre(1, 0, ball);
    ExpectRows<Quaternion>({{"second", ball.orientationNow, {0, 1, 0, -1.2516975e-06f}}});
    ExpectRows<AxisRotation>({{"second", ball.GetOrientation(), {180.00015f, 0, 1, 0}}});
}

// Turns about different axes do not commute: the committed quarter turn about
// z composed with the drag's quarter turn about y, in that order, gives a
// positive x; the other order would make it negative.
TEST(ArcBall, ADragComposesAfterTheCommittedOrientation) {
    const ArcBall ball = DragFromCentre(1, 0, ArcBall(MakeAxisRotationAXYZ(90, 0, 0, 1)));
    ExpectRows<Quaternion>({{"", ball.orientationNow, {0.500000298f, 0.500000358f, 0.499999702f, 0.499999732f}}});
}

TEST(ArcBall, EachDragStepStartsAfreshFromTheCommittedOrientation) {
    ArcBall ball = DragFromCentre(-0.7f, 0.4f);
    ball.DragWithX(0.9f, 0.1f);
    ball.DragWithX(0.5f, 0);
    ExpectRows<Quaternion>({{"", ball.orientationNow, DragFromCentre(0.5f, 0).orientationNow}});
}

TEST(ArcBall, ConstructorAndSetOrientationSetBothOrientations) {
    ArcBall ball = DragFromCentre(1, 0);
    ball.SetOrientationWithAxisRotation(MakeAxisRotationAXYZ(90, 0, 0, 1));
    ExpectRows<Quaternion>({
        {"constructed", ArcBall(MakeAxisRotationAXYZ(90, 0, 0, 1)).orientationNow, kQuarterAboutZ},
        {"set mid-drag, start", ball.orientationStart, kQuarterAboutZ},
        {"set mid-drag, now", ball.orientationNow, kQuarterAboutZ},
    });
}

// A drag step without an angle (no start point, or a non-finite pointer) keeps
// the committed orientation, not a NaN that EndDrag would make permanent.
TEST(ArcBall, DragWithoutAnAngleKeepsTheCommittedOrientation) {
    for (float x : {0.5f, INFINITY, -INFINITY, NAN}) {
        ArcBall ball(MakeAxisRotationAXYZ(90, 0, 0, 1));
        if (!std::isfinite(x)) {
            ball.StartDragWithX(0, 0);
        } // else dragStart is still (0, 0, 0)
        ball.DragWithX(x, 0.25f);
        ball.EndDrag();
        ExpectRows<Quaternion>({{"committed", ball.orientationStart, kQuarterAboutZ}});
    }
}

} // namespace
