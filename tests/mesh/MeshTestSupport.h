// Helpers shared by the mesh tests (test code only, so at global scope).
#pragma once

#include "mesh/MyOBJ.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Runs f and returns what it printed.
template <class F> std::string printed(F&& f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

// Loads OBJ text ("mtllib" lines read mtlText) and returns what the load printed.
inline std::string loadText(MyOBJ& obj, std::string_view objText, std::string_view mtlText = {}) {
    return printed([&] { obj.loadOBJText(objText, mtlText); });
}

// The load's closing line, for a model without an "o" name.
inline std::string summary(int v, int vt, int vn, int f) {
    return "Object Loaded: v: " + std::to_string(v) + ", vt: " + std::to_string(vt) +
           ", vn: " + std::to_string(vn) + ", f: " + std::to_string(f) + "\n\n";
}

// The material changes as (starting face, material index).
using Changes = std::vector<std::pair<int, int>>;
inline Changes changes(const MyOBJ& obj) {
    Changes out;
    for (int i = 0; i < obj.mMtlChangeCount; ++i) {
        out.emplace_back(obj.mMtlChanges[i].startingFace, obj.mMtlChanges[i].materialIndex);
    }
    return out;
}
