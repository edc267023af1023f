// Comparisons for results fixed to the last bit (EXPECT_EQ on each float) or
// to one unit in the last place.
#pragma once

#include "math/Quaternion.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>

inline void ExpectVector(Vector3D v, Vector3D expected) {
    EXPECT_EQ(v.x, expected.x);
    EXPECT_EQ(v.y, expected.y);
    EXPECT_EQ(v.z, expected.z);
}

inline void ExpectQuaternion(Quaternion q, Quaternion expected) {
    EXPECT_EQ(q.x, expected.x);
    EXPECT_EQ(q.y, expected.y);
    EXPECT_EQ(q.z, expected.z);
    EXPECT_EQ(q.n, expected.n);
}

inline void ExpectAxisRotation(AxisRotation r, AxisRotation expected) {
    EXPECT_EQ(r.angle, expected.angle);
    EXPECT_EQ(r.x, expected.x);
    EXPECT_EQ(r.y, expected.y);
    EXPECT_EQ(r.z, expected.z);
}

inline int64_t UlpsApart(float a, float b) {
    // Map the floats onto a line of integers ordered like the values.
    auto ordered = [](float f) {
        const int32_t i = std::bit_cast<int32_t>(f);
        return i < 0 ? int64_t{INT32_MIN} - i : int64_t{i};
    };
    const int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

inline ::testing::AssertionResult WithinOneUlp(float actual, float expected) {
    if (!std::isnan(actual) && UlpsApart(actual, expected) <= 1) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << actual << " is " << UlpsApart(actual, expected) << " ulps from " << expected;
}
