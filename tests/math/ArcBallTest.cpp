#include "math/ArcBall.h"

#include "tests/support/MathExpect.h"

#include <cmath>

static ArcBall DragFromCentre(float x, float y, ArcBall ball = {}) {
    ball.StartDragWithX(0, 0);
    ball.DragWithX(x, y);
    return ball;
}

// The axis is the cross product as it comes: a short arc turns about half its
// angle, and a drag outside the sphere (the point stays in the plane) further.
// Turns about different axes do not commute: the committed quarter turn about
// z composed with the drag's quarter turn about y, in that order, gives a
// positive x; the other order would make it negative.
TEST(ArcBall, DragFromTheCentreAndOntoACommittedTurnMatchTheWorkedValues) {
    const ArcBall right = DragFromCentre(0.5f, 0), out = DragFromCentre(2, 0);
    const ArcBall turned = DragFromCentre(1, 0, ArcBall(MakeAxisRotationAXYZ(90, 0, 0, 1)));
    ArcBall wandered = DragFromCentre(-0.7f, 0.4f); // each step starts afresh
    wandered.DragWithX(0.9f, 0.1f);
    wandered.DragWithX(0.5f, 0);
    ExpectRows<Quaternion>({
        {"right", right.orientationNow, {0, 0.13278829f, 0, 0.99114442f}},
        {"right after other steps", wandered.orientationNow, right.orientationNow},
        {"outside", out.orientationNow, {0, 0.89442742f, 0, 0.44721314f}},
        {"z then y", turned.orientationNow, {0.5000003f, 0.50000036f, 0.4999997f, 0.49999973f}},
    });
    ExpectRows<AxisRotation>({
        {"up turns the front up", DragFromCentre(0, 0.5f).GetOrientation(), {15.261498f, -1, 0, 0}},
    });
}

// A drag step without an angle (no start point, or a non-finite pointer) keeps
// the committed orientation, not a NaN that EndDrag would make permanent.
TEST(ArcBall, EndDragCommitsASecondDragComposesOntoTheFirstAndOneWithoutAnAngleKeepsIt) {
    ArcBall ball = DragFromCentre(1, 0);
    const Quaternion first = ball.orientationNow;
    ball.EndDrag();
    ball.StartDragWithX(0.3f, -0.2f);
    ExpectRows<Quaternion>({{"start drag leaves it", ball.orientationNow, first}});
    ball = DragFromCentre(1, 0, ball);
    ExpectRows<Quaternion>({{"second", ball.orientationNow, {0, 1, 0, -1.2516975e-06f}}});
    ball.SetOrientationWithAxisRotation(MakeAxisRotationAXYZ(90, 0, 0, 1)); // mid-drag
    ExpectRows<Quaternion>({{"set, start", ball.orientationStart, kQuarterAboutZ},
                            {"set, now", ball.orientationNow, kQuarterAboutZ}});
    for (float x : {0.5f, INFINITY, -INFINITY, NAN}) {
        ArcBall turned(MakeAxisRotationAXYZ(90, 0, 0, 1));
        if (!std::isfinite(x)) // else there is no start point yet
            turned.StartDragWithX(0, 0);
        turned.DragWithX(x, 0.25f);
        turned.EndDrag();
        ExpectRows<Quaternion>({{"no angle", turned.orientationStart, kQuarterAboutZ}});
    }
}
