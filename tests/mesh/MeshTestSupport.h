// Helpers shared by the mesh tests (test code only, so at global scope).
#pragma once

#include "mesh/MyOBJ.h"
#include "tests/support/CapturedOutput.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Runs f and returns what it printed on standard output.
template <class F> std::string printed(F&& f) {
    test::CapturedOutput captured;
    f();
    return captured.out();
}

// Loads the file "m.obj" of the map source and returns what the load printed
// after its first line, which must say that the file opened.
inline std::string loadFiles(MyOBJ& obj, mesh::MemoryFiles files) {
    const std::string out = printed([&] { obj.loadOBJFile("m.obj", files.source()); });
    const std::string opened = "OBJ File Open: m.obj\n";
    EXPECT_EQ(out.substr(0, opened.size()), opened);
    return out.substr(opened.size());
}

// The same with OBJ text and, as "m.mtl", library text.
inline std::string loadText(MyOBJ& obj, std::string_view objText, std::string_view mtlText = {}) {
    return loadFiles(obj, {{{"m.obj", std::string(objText)}, {"m.mtl", std::string(mtlText)}}});
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
    for (int i = 0; i < obj.mMtlChangeCount; ++i)
        out.emplace_back(obj.mMtlChanges[i].startingFace, obj.mMtlChanges[i].materialIndex);
    return out;
}
