// What the mesh fuzz targets run on one input; the regression test replays
// kept inputs through the same functions.
#pragma once

#include "mesh/MyOBJ.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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

// The readers' numbers must equal the C library's sscanf with their patterns:
// the first line of the input is read as each kind of record. Aborts on a
// difference, which libFuzzer reports as a crash.
inline void compareWithScanf(MyOBJ& obj, std::string_view input) {
    const size_t newline = input.find('\n');
    std::string line(
        input.substr(0, newline == input.npos ? input.npos : newline + 1).substr(0, 254));
    line.resize(std::strlen(line.c_str()));
    const char* text = line.c_str();
    char word[256];
    float want[3] = {0, 0, 0};
    obj.mVertCount = obj.mTextureVertCount = obj.mFaceCount = 0;
    std::sscanf(text, "%s %f %f %f", word, &want[0], &want[1], &want[2]);
    obj.readVertex(text);
    if (std::memcmp(&obj.mVerts[0], want, sizeof want) != 0) {
        std::abort();
    }
    want[0] = want[1] = 0;
    std::sscanf(text, "%s %f %f", word, &want[0], &want[1]);
    want[1] = 1.0f - want[1];
    want[2] = 0;
    obj.readTextureVertex(text);
    if (std::memcmp(&obj.mTextureVerts[0], want, sizeof want) != 0) {
        std::abort();
    }
    int32_t idx[12] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int32_t *v = idx, *vt = idx + 4, *vn = idx + 8;
    if (line.find("//") != std::string::npos) {
        std::sscanf(text, "%s %d//%d %d//%d %d//%d %d//%d", word, &v[0], &vn[0], &v[1], &vn[1],
                    &v[2], &vn[2], &v[3], &vn[3]);
    } else if (line.find('/') != std::string::npos) {
        std::sscanf(text, "%s %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d", word, &v[0], &vt[0], &vn[0],
                    &v[1], &vt[1], &vn[1], &v[2], &vt[2], &vn[2], &v[3], &vt[3], &vn[3]);
    } else {
        std::sscanf(text, "%s %d %d %d %d", word, &v[0], &v[1], &v[2], &v[3]);
    }
    obj.readFace(text);
    const Face& f = obj.mFaces[0];
    if (obj.mFaceCount == 1 &&
        (std::memcmp(f.v, v, sizeof f.v) != 0 || std::memcmp(f.vt, vt, sizeof f.vt) != 0 ||
         std::memcmp(f.vn, vn, sizeof f.vn) != 0)) {
        std::abort();
    }
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
    compareWithScanf(obj, input);
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
