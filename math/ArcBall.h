// Turns pointer drags into a model rotation: the pointer is lifted onto a
// sphere facing the viewer and the arc from where the drag began to where the
// pointer is now is composed onto the orientation held when the drag began.
#pragma once

#include "math/Quaternion.h"

class ArcBall {
  public:
    // No rotation.
    ArcBall();
    explicit ArcBall(AxisRotation a);

    // Sets both the committed and the current orientation, in any state.
    void SetOrientationWithAxisRotation(AxisRotation a);

    // Angle in degrees and axis of the current orientation, for glRotatef.
    AxisRotation GetOrientation() const;

    // Pointer coordinates: origin at the sphere's centre, x right, y up; the
    // view spans -1 to +1 on both axes.
    void StartDragWithX(float x, float y);
    // A step with no defined angle (before any StartDragWithX, or from a
    // non-finite pointer) leaves the committed orientation in place.
    void DragWithX(float x, float y);
    void EndDrag();

    // Read by tests and diagnostics; change them only through the methods.
    Quaternion orientationStart{}; // committed: held when the current drag began
    Quaternion orientationNow{};   // the drag in progress included
    Vector3D dragStart{};          // sphere point where the current drag began
    Vector3D dragNow{};            // sphere point of the latest drag position
    float radius{};                // of the virtual sphere, in pointer units

  private:
    // Inside the outline the point is lifted onto the sphere; outside it
    // stays in the plane at its full distance from the centre.
    Vector3D SpherePoint(float x, float y) const;
};
