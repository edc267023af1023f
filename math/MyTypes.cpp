#include "math/MyTypes.h"

AxisRotation MakeAxisRotationAXYZ(float angle, float x, float y, float z) {
    return AxisRotation{angle, x, y, z};
}

AxisRotation MakeAxisRotationAV(float angle, Vector3D v) {
    return AxisRotation{angle, v.x, v.y, v.z};
}
