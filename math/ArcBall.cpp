#include "math/ArcBall.h"

#include <cmath>

ArcBall::ArcBall() : ArcBall(MakeAxisRotationAXYZ(0.0f, 1.0f, 0.0f, 0.0f)) {}

ArcBall::ArcBall(AxisRotation a) {
    SetOrientationWithAxisRotation(a);
    radius = 1.0f;
}

void ArcBall::SetOrientationWithAxisRotation(AxisRotation a) {
    orientationStart = AxisRotationToQuaternion(a);
    orientationNow = orientationStart;
}

AxisRotation ArcBall::GetOrientation() const {
    return QuaternionToAxisRotation(orientationNow);
}

Vector3D ArcBall::SpherePoint(float x, float y) const {
    const float xxyy = x * x + y * y;
    const float rr = radius * radius;
    if (xxyy > rr) {
        return Vector3D{x, y, 0.0f};
    }
    return Vector3D{x, y, static_cast<float>(std::sqrt(static_cast<double>(rr - xxyy)))};
}

void ArcBall::StartDragWithX(float x, float y) {
    dragStart = SpherePoint(x, y);
}

void ArcBall::DragWithX(float x, float y) {
    dragNow = SpherePoint(x, y);
    // The cross product is used unnormalised on purpose: its length scales
    // the turn (a short arc turns less, a drag outside the sphere more).
    const AxisRotation dA =
        MakeAxisRotationAV(Vector3DGetAngle(dragStart, dragNow), Vector3DCross(dragStart, dragNow));
    const Quaternion q = QuaternionMultiply(orientationStart, AxisRotationToQuaternion(dA));
    // A drag with no start point (or a non-finite pointer) has no angle. Keep
    // the committed orientation rather than a NaN that EndDrag would make
    // permanent and that would draw nothing.
    if (std::isfinite(q.x) && std::isfinite(q.y) && std::isfinite(q.z) && std::isfinite(q.n)) {
        orientationNow = q;
    } else {
        orientationNow = orientationStart;
    }
}

void ArcBall::EndDrag() {
    orientationStart = orientationNow;
    dragStart = Vector3D{1.0f, 1.0f, 1.0f};
    dragNow = dragStart;
}
