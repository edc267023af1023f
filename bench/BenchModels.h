// The large model the mesh and viewer benchmarks read: 490,000 random
// positions, texture coordinates and normals, half the faces quads under one
// material and half triangles under another, with its MTL beside it (the
// same name, ".mtl"). The same bytes on every run.
#pragma once

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace bench {

inline void writeRandomModel(const std::string& path) {
    constexpr int kVerts = 490000, kFaces = 490000;
    const std::string mtlPath = std::filesystem::path(path).replace_extension(".mtl").string();
    std::FILE* mtl = std::fopen(mtlPath.c_str(), "w");
    std::fputs("newmtl stone\nKa 0.1 0.1 0.1\nKd 0.6 0.6 0.55\nKs 0.2 0.2 0.2\nNs 20\n"
               "newmtl leaf\nKa 0 0.1 0\nKd 0.2 0.7 0.1\nKs 0.1 0.1 0.1\nNs 60\n",
               mtl);
    std::fclose(mtl);
    std::FILE* obj = std::fopen(path.c_str(), "w");
    std::mt19937 rng(2026);
    std::uniform_real_distribution<float> coord(-10.0f, 10.0f);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::uniform_int_distribution<int> index(1, kVerts);
    std::fprintf(obj, "# generated\nmtllib %s\no Bench\n",
                 std::filesystem::path(mtlPath).filename().c_str());
    // Each value drawn in its own statement: the order of arguments is unspecified.
    for (int kind = 0; kind < 3; ++kind)
        for (int i = 0; i < kVerts; ++i) {
            const float a = kind == 0 ? coord(rng) : unit(rng);
            const float b = kind == 0 ? coord(rng) : unit(rng);
            if (kind == 1) {
                std::fprintf(obj, "vt %.6f %.6f\n", a, b);
                continue;
            }
            const float c = kind == 0 ? coord(rng) : unit(rng);
            std::fprintf(obj, "%s %.6f %.6f %.6f\n", kind == 0 ? "v" : "vn", a, b, c);
        }
    for (int kind : {4, 3}) {
        std::fputs(kind == 4 ? "usemtl stone\n" : "usemtl leaf\n", obj);
        for (int i = 0; i < (kind == 4 ? kFaces / 2 : kFaces - kFaces / 2); ++i) {
            std::fputs("f", obj);
            for (int c = 0; c < kind; ++c) {
                const int v = index(rng), t = index(rng), n = index(rng);
                std::fprintf(obj, " %d/%d/%d", v, t, n);
            }
            std::fputs("\n", obj);
        }
    }
    std::fclose(obj);
}

} // namespace bench
