// What the mesh fuzz targets run on one input; the regression test replays
// kept inputs through the same functions.
#pragma once

#include "mesh/MyOBJ.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace meshfuzz {

// Every routine that reads the arrays. Without a current GL context the GL
// calls do nothing, but every index the routines follow is still read.
inline void drawEverything(MyOBJ& obj) {
    obj.setRendersMaterials(true);
    obj.renderModelAsPoints();
    obj.renderModelAsFlatNormals();
    obj.renderModelAsSmoothNormals();
    obj.renderModelAsFramePolys();
    obj.renderModelAsFlatPolys();
    obj.renderModelAsFlatTexturedPolys();
    obj.renderModelAsSmoothPolys();
    obj.renderModelAsSmoothTexturedPolys();
}

// OBJ text, optionally followed by a line "#mtl" and the text that its
// "mtllib" lines read.
inline void runObj(MyOBJ& obj, const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kSplit = "\n#mtl\n";
    const size_t split = input.find(kSplit);
    const std::string_view objText = input.substr(0, split);
    const std::string_view mtlText =
        split == std::string_view::npos ? std::string_view() : input.substr(split + kSplit.size());
    obj.loadOBJText(objText, mtlText);
    drawEverything(obj);
}

// MTL text, used by a small model that names a few materials.
inline void runMtl(MyOBJ& obj, const uint8_t* data, size_t size) {
    const std::string_view mtlText(reinterpret_cast<const char*>(data), size);
    obj.loadOBJText("mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl a\nf 1 2 3\n"
                    "usemtl b\nf 3 2 1\nusemtl a\nf 1 2 3 1\nusemtl\nf 2 3 1\n",
                    mtlText);
    drawEverything(obj);
}

} // namespace meshfuzz
