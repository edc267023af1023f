// Helpers shared by the mesh tests.
#pragma once

#include "mesh/MyOBJ.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>

namespace meshtest {

inline std::unique_ptr<MyOBJ> newModel() {
    return std::make_unique<MyOBJ>();
}

// Loads OBJ text (libraries read mtlText) and returns what the load printed.
inline std::string loadText(MyOBJ& obj, std::string_view objText, std::string_view mtlText = {}) {
    testing::internal::CaptureStdout();
    obj.loadOBJText(objText, mtlText);
    return testing::internal::GetCapturedStdout();
}

inline std::string summary(const char* name, int v, int vt, int vn, int f) {
    return std::string("Object Loaded: ") + name + "v: " + std::to_string(v) +
           ", vt: " + std::to_string(vt) + ", vn: " + std::to_string(vn) +
           ", f: " + std::to_string(f) + "\n\n";
}

} // namespace meshtest
