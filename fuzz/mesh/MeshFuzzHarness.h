// What the mesh fuzz targets run on one input; the regression test replays
// kept inputs through the same functions.
#pragma once

#include "diag/Diagnostics.h"
#include "mesh/MyOBJ.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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

// Whether the readers' numbers equal the C library's sscanf with their
// patterns, the first line of the input (up to 254 characters and the first
// NUL) read as each kind of record: "v", "vn", "vt", "Kd" (which keeps the
// values the line does not supply) and "f".
inline bool matchesScanf(MyOBJ& obj, std::string_view input) {
    const size_t newline = input.find('\n');
    std::string line(input.substr(0, newline == input.npos ? newline : newline + 1).substr(0, 254));
    line.resize(std::strlen(line.c_str()));
    const char* text = line.c_str();
    char word[256];
    float v[3] = {0, 0, 0}, vt[3] = {0, 0, 0}, kd[3] = {0.25f, 0.5f, 0.75f};
    static mesh::MemoryFiles library{{{"m.mtl", "newmtl m\n"}}};
    obj.loadMTLFile("m.mtl", library.source());
    std::memcpy(obj.mMaterialProperties[0].Kd, kd, sizeof kd);
    std::sscanf(text, "%s %f %f %f", word, &v[0], &v[1], &v[2]);
    std::sscanf(text, "%s %f %f", word, &vt[0], &vt[1]);
    vt[1] = 1.0f - vt[1];
    std::sscanf(text, "%s %f %f %f", word, &kd[0], &kd[1], &kd[2]);
    int32_t idx[3][4] = {{-1, -1, -1, -1}, {-1, -1, -1, -1}, {-1, -1, -1, -1}};
    int32_t *fv = idx[0], *ft = idx[1], *fn = idx[2];
    if (line.find("//") != std::string::npos) {
        std::sscanf(text, "%s %d//%d %d//%d %d//%d %d//%d", word, &fv[0], &fn[0], &fv[1], &fn[1],
                    &fv[2], &fn[2], &fv[3], &fn[3]);
    } else if (line.find('/') != std::string::npos) {
        std::sscanf(text, "%s %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d", word, &fv[0], &ft[0], &fn[0],
                    &fv[1], &ft[1], &fn[1], &fv[2], &ft[2], &fn[2], &fv[3], &ft[3], &fn[3]);
    } else {
        std::sscanf(text, "%s %d %d %d %d", word, &fv[0], &fv[1], &fv[2], &fv[3]);
    }
    obj.mVertCount = obj.mNormalCount = obj.mTextureVertCount = obj.mFaceCount = 0;
    obj.readVertex(text);
    obj.readNormal(text);
    obj.readTextureVertex(text);
    obj.readDiffuse(text);
    obj.readFace(text);
    const Face& f = obj.mFaces[0];
    const auto same = [](const void* a, const void* b) { return std::memcmp(a, b, 12) == 0; };
    return same(&obj.mVerts[0], v) && same(&obj.mNormals[0], v) &&
           same(&obj.mTextureVerts[0], vt) && same(obj.mMaterialProperties[0].Kd, kd) &&
           (obj.mFaceCount == 0 ||
            (std::memcmp(f.v, fv, sizeof f.v) == 0 && std::memcmp(f.vt, ft, sizeof f.vt) == 0 &&
             std::memcmp(f.vn, fn, sizeof f.vn) == 0));
}

// The model "f.obj" and its library "m.mtl" through the readers' map source.
inline void load(MyOBJ& obj, std::string_view objText, std::string_view mtlText) {
    mesh::MemoryFiles files{{{"f.obj", std::string(objText)}, {"m.mtl", std::string(mtlText)}}};
    obj.loadOBJFile("f.obj", files.source());
}

// Everything a load decides, as bytes: counts, records, materials, changes, name.
inline std::string modelBytes(const MyOBJ& obj) {
    std::string s;
    const auto add = [&](const void* p, size_t n) { s.append(static_cast<const char*>(p), n); };
    const auto clamped = [](int32_t n, int32_t capacity) {
        return static_cast<size_t>(n < 0 ? 0 : n > capacity ? capacity : n);
    };
    for (const int32_t* n : {&obj.mVertCount, &obj.mTextureVertCount, &obj.mNormalCount,
                             &obj.mFaceCount, &obj.mMaterialPropertyCount, &obj.mMtlChangeCount}) {
        add(n, sizeof *n);
    }
    add(obj.mVerts, sizeof(Vector3D) * clamped(obj.mVertCount, MyOBJ::kMaxVerts));
    add(obj.mTextureVerts, sizeof(Vector3D) * clamped(obj.mTextureVertCount, MyOBJ::kMaxVerts));
    add(obj.mNormals, sizeof(Vector3D) * clamped(obj.mNormalCount, MyOBJ::kMaxVerts));
    add(obj.mFaces, sizeof(Face) * clamped(obj.mFaceCount, MyOBJ::kMaxFaces));
    for (size_t i = 0; i < clamped(obj.mMaterialPropertyCount, MyOBJ::kMaxMaterials); ++i) {
        const MaterialProperties& m = obj.mMaterialProperties[i];
        add(m.name, std::strlen(m.name) + 1); // what follows the name's end is no part of it
        add(&m.Ns, sizeof(float) * 10);       // Ns, Ka, Kd, Ks
    }
    add(obj.mMtlChanges, sizeof(MtlChange) * clamped(obj.mMtlChangeCount, MyOBJ::kMaxMtlChanges));
    add(obj.objectName, std::strlen(obj.objectName));
    return s;
}

// What a load prints on standard output, then the model's bytes.
inline std::string loadedBytes(MyOBJ& obj, std::string_view objText, std::string_view mtlText) {
    struct Collect {
        static void receive(diag::Channel, const char* bytes, size_t length, void* user) {
            static_cast<std::string*>(user)->append(bytes, length);
        }
    };
    std::string out;
    diag::setSink(&Collect::receive, &out);
    load(obj, objText, mtlText);
    diag::setSink(nullptr);
    return out + modelBytes(obj);
}

// Whether a load in blocks of blockBytes on every core gives the model and
// the messages of a load of the whole file as one block in one thread.
inline bool sameInParallel(MyOBJ& one, MyOBJ& shared, std::string_view objText,
                           std::string_view mtlText, size_t blockBytes) {
    one.readsInParallel = false;
    one.readBlockBytes = objText.size() + 1;
    shared.readsInParallel = true;
    shared.readBlockBytes = blockBytes;
    return loadedBytes(one, objText, mtlText) == loadedBytes(shared, objText, mtlText);
}

// OBJ text, optionally followed by a line "#mtl" and the text of "m.mtl".
// Its first byte also chooses the block size of the load on every core.
inline void runObj(MyOBJ& obj, const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kSplit = "\n#mtl\n";
    const size_t split = input.find(kSplit);
    const std::string_view objText = input.substr(0, split);
    const std::string_view mtlText =
        split == std::string_view::npos ? std::string_view() : input.substr(split + kSplit.size());
    static const std::unique_ptr<MyOBJ> shared = std::make_unique<MyOBJ>();
    const size_t blockBytes = size ? 1 + data[0] % 64 : 1;
    if (!matchesScanf(obj, input) || !sameInParallel(*shared, obj, objText, mtlText, blockBytes)) {
        std::abort(); // libFuzzer reports it as a crash
    }
    drawEverything(obj);
}

// MTL text, used by a small model that names a few materials.
inline void runMtl(MyOBJ& obj, const uint8_t* data, size_t size) {
    load(obj,
         "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl a\nf 1 2 3\n"
         "usemtl b\nf 3 2 1\nusemtl a\nf 1 2 3 1\nusemtl\nf 2 3 1\n",
         std::string_view(reinterpret_cast<const char*>(data), size));
    drawEverything(obj);
}

} // namespace meshfuzz
