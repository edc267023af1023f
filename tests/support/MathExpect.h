// Exact comparisons of the math value types.
#pragma once

#include "math/Quaternion.h"

#include <array>
#include <bit>
#include <cstddef>
#include <gtest/gtest.h>
#include <initializer_list>
#include <iomanip>
#include <tuple>

// A quarter turn about z, as AxisRotationToQuaternion makes it.
inline const Quaternion kQuarterAboutZ{0, 0, 0.70710677f, 0.70710683f};

// A table of worked values (floats, Vector3D, AxisRotation or Quaternion), each
// row a name, the actual value and the expected one, equal in every field (a
// NaN expected matches any NaN).
template <class T> void ExpectRows(std::initializer_list<std::tuple<const char*, T, T>> rows) {
    using Fields = std::array<float, sizeof(T) / sizeof(float)>;
    for (const auto& [name, actual, expected] : rows) {
        const Fields a = std::bit_cast<Fields>(actual), e = std::bit_cast<Fields>(expected);
        for (std::size_t i = 0; i < a.size(); ++i) {
            EXPECT_TRUE(a[i] == e[i] || (a[i] != a[i] && e[i] != e[i]))
                << std::setprecision(9) << name << ", field " << i << ": " << a[i] << " is not "
                << e[i];
        }
    }
}
