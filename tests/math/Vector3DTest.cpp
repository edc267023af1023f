#include "math/Vector3D.h"

#include "tests/support/MathExpect.h"

#include <cmath>

TEST(Vector3D, WorkedValuesMatchToTheBitAndZeroLengthIsNaN) {
    ExpectRows<Vector3D>({
        {"normalize", Vector3DNormalize({3, 4, 0}), {0.6f, 0.8f, 0}},
        {"cross", Vector3DCross({1, 2, 3}, {4, 5, 6}), {-3, 6, -3}},
        {"subtract", Vector3DSubtract({1, 2, 3}, {10, 20, 40}), {-9, -18, -37}},
        {"normalize zero", Vector3DNormalize({0, 0, 0}), {NAN, NAN, NAN}},
    });
    ExpectRows<float>({
        // With one large component only the grouping (x*x + y*y) + z*z gives
        // these last bits.
        {"magnitude 4099", Vector3DMagnitude({4099, 23, 29}), 4099.1665f},
        // Angles divide by the decimal 3.14159, not by pi.
        {"right angle", Vector3DGetAngle({1, 0, 0}, {0, 1, 0}), 90.00007629394531f},
        {"opposite", Vector3DGetAngle({1, 0, 0}, {-1, 0, 0}), 180.00015258789062f},
        {"same", Vector3DGetAngle({2, -3, 5}, {2, -3, 5}), 0.0f},
        {"lengths cancel", Vector3DGetAngle({7, 0, 0}, {0, 0.25f, 0}), 90.00007629394531f},
        {"zero first", Vector3DGetAngle({0, 0, 0}, {1, 0, 0}), NAN},
    });
}
