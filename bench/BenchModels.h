// The large models the benchmarks read, the same bytes on every run.
#pragma once

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

namespace bench {

// 490,000 random positions, texture coordinates and normals, half the faces
// quads under one material and half triangles under another, with its MTL
// beside it (the same name, ".mtl").
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

// A torus about 9 units across on a grid of n by n cells, with a position,
// texture coordinate and normal at each grid point. Every cell a quad, or
// (alternate) cells alternating between a quad and a triangle: at n = 700,
// 490,000 faces and 735,000 triangles; every cell a quad at n = 1000,
// 2,000,000 triangles.
inline void writeTorus(const std::string& path, int n, bool alternate) {
    constexpr double kPi = 3.14159265358979323846, kMajor = 3.3, kMinor = 1.2;
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fputs("o Torus\n", f);
    for (int pass = 0; pass < 3; ++pass)
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const double u = 2 * kPi * i / n, v = 2 * kPi * j / n;
                const double nx = std::cos(u) * std::cos(v), ny = std::sin(u) * std::cos(v),
                             nz = std::sin(v);
                if (pass == 0)
                    std::fprintf(f, "v %.5f %.5f %.5f\n", kMajor * std::cos(u) + kMinor * nx,
                                 kMajor * std::sin(u) + kMinor * ny, kMinor * nz);
                else if (pass == 1)
                    std::fprintf(f, "vt %.5f %.5f\n", double(i) / n, double(j) / n);
                else
                    std::fprintf(f, "vn %.5f %.5f %.5f\n", nx, ny, nz);
            }
    const auto at = [n](int i, int j) { return (i % n) * n + (j % n) + 1; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const int a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1), d = at(i, j + 1);
            if (!alternate || (i + j) % 2 == 0)
                std::fprintf(f, "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, c, c,
                             c, d, d, d);
            else
                std::fprintf(f, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, c, c, c);
        }
    std::fclose(f);
}

} // namespace bench
