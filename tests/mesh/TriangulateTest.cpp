// Polygons cut into triangles: the triangles cover the polygon exactly (its
// area, nothing outside it, so a notch stays empty) and keep its winding, in
// any plane and either way round; hostile polygons still end, quickly.
#include "mesh/model/Triangulate.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct P2 {
    double x, y;
};

double shoelace(const std::vector<P2>& p) {
    double a = 0;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) // edge j to i
        a += p[j].x * p[i].y - p[i].x * p[j].y;
    return a / 2;
}

// Even-odd rule; the point is never on an edge here.
bool inside(const std::vector<P2>& p, P2 q) {
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        if ((p[i].y > q.y) != (p[j].y > q.y) &&
            q.x < (p[j].x - p[i].x) * (q.y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
            in = !in;
    return in;
}

// The plane z = 0 turned about an oblique axis and moved off the origin.
Vector3D place(P2 p, bool tilted) {
    if (!tilted)
        return {float(p.x), float(p.y), 0};
    return {float(0.8 * p.x + 100), float(0.36 * p.x + 0.8 * p.y - 50),
            float(-0.48 * p.x + 0.6 * p.y + 20)};
}

std::vector<P2> comb(int teeth) {
    std::vector<P2> p{{0, 0}, {2.0 * teeth, 0}};
    for (int t = teeth; t > 0; --t)
        p.insert(p.end(), {{2.0 * t, 3}, {2.0 * t - 1, 3}, {2.0 * t - 1, 1}, {2.0 * t - 2, 1}});
    return p;
}

// n corners going round the unit circle `turns` times, every second one at radius inner.
std::vector<P2> ring(int n, int turns = 1, double inner = 1) {
    std::vector<P2> p;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * 3.141592653589793 * turns * i / n, r = i % 2 ? inner : 1;
        p.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return p;
}

} // namespace

TEST(Triangulate, CornersMinusTwoTrianglesCoverThePolygonExactlyInAnyPlaneEitherWayRound) {
    const struct {
        const char* name;
        std::vector<P2> polygon; // counter-clockwise, where it has a side
        // The cut says it is exact, and its triangles cover the polygon where its
        // area is a number; else the cut may say either (no area to judge by).
        bool exact;
    } cases[] = {
        // clang-format off
        {"convex hexagon", ring(6), true}, {"concave quad", {{0, 0}, {2, 1}, {0, 2}, {1, 1}}, true},
        {"U with a notch", {{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}}, true},
        {"comb of 40 teeth", comb(40), true}, {"star of 12 points", ring(24, 1, 0.3), true},
        {"square with corners on its edges", {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {0, 2}}, true},
        {"repeated corner", {{0, 0}, {2, 0}, {2, 0}, {2, 2}, {1, 1}, {0, 2}}, true},
        {"pentagram, crossing itself", ring(5, 2), false}, {"bow tie", {{0, 0}, {1, 1}, {1, 0}, {0, 1}}, false},
        {"all on one line", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}, true},
        {"one point", {{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}}, true},
        {"not a number", {{0, 0}, {1, 0}, {NAN, 1}, {0, 1}, {0.5, 0.5}}, true},
        // Half their corners concave: quick however they are cut.
        {"comb of 25,000 teeth", comb(25000), false}, {"star of 50,000 points", ring(100000, 1, 0.99), false},
        // clang-format on
    };
    for (const auto& c : cases)
        for (bool clockwise : {false, true})
            for (bool tilted : {false, true}) {
                SCOPED_TRACE(std::string(c.name) + (clockwise ? ", clockwise" : "") +
                             (tilted ? ", tilted" : ""));
                const std::vector<P2> flat =
                    clockwise ? std::vector(c.polygon.rbegin(), c.polygon.rend()) : c.polygon;
                std::vector<Vector3D> corners;
                for (P2 p : flat)
                    corners.push_back(place(p, tilted));
                std::vector<uint32_t> t;
                EXPECT_TRUE(mesh::triangulatePolygon(corners, mesh::newellNormal(corners), t) ||
                            !c.exact);
                ASSERT_EQ(t.size(), 3 * (flat.size() - 2));
                for (uint32_t k : t)
                    ASSERT_LT(k, flat.size());
                const double area = shoelace(flat);
                if (!c.exact || std::isnan(area))
                    continue;
                double covered = 0;
                for (size_t k = 0; k < t.size(); k += 3) {
                    const std::vector<P2> tri = {flat[t[k]], flat[t[k + 1]], flat[t[k + 2]]};
                    const double a = shoelace(tri);
                    EXPECT_GE(a * area, 0) << "a triangle wound against its polygon";
                    covered += a;
                    const P2 centre{(tri[0].x + tri[1].x + tri[2].x) / 3,
                                    (tri[0].y + tri[1].y + tri[2].y) / 3};
                    EXPECT_TRUE(std::fabs(a) < 1e-9 || inside(flat, centre))
                        << "a triangle outside its polygon";
                }
                EXPECT_NEAR(covered, area, 1e-9 * std::fabs(area));
            }
}
