#include "mesh/model/Triangulate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace mesh {

namespace {

struct Point2 {
    double x, y;
};

// Twice the signed area of a, b, c: positive when they run counter-clockwise.
double cross(Point2 a, Point2 b, Point2 c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool sameSpot(Point2 a, Point2 b) {
    return a.x == b.x && a.y == b.y;
}

// Inside or on the rim of the counter-clockwise triangle a, b, c.
bool inTriangle(Point2 p, Point2 a, Point2 b, Point2 c) {
    return cross(a, b, p) >= 0 && cross(b, c, p) >= 0 && cross(c, a, p) >= 0;
}

// The corners in the plane across the normal's largest component, turned so
// that they run counter-clockwise there. Relative to the first corner, so
// that a polygon far from the origin keeps its precision.
void project(const Vector3D* corners, size_t count, const Vector3D& n, Point2* p) {
    const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    const int axis = az >= ax && az >= ay ? 2 : ax >= ay ? 0 : 1;
    const double sign[3] = {n.x, n.y, n.z};
    const bool flip = sign[axis] < 0;
    const Vector3D& o = corners[0];
    for (size_t i = 0; i < count; ++i) {
        const double d[3] = {double(corners[i].x) - o.x, double(corners[i].y) - o.y,
                             double(corners[i].z) - o.z};
        // (y, z) across x, (z, x) across y, (x, y) across z: each right-handed.
        const double u = d[(axis + 1) % 3], v = d[(axis + 2) % 3];
        p[i] = flip ? Point2{v, u} : Point2{u, v};
    }
}

void fan(const std::vector<uint32_t>& order, std::vector<uint32_t>& triangles) {
    for (size_t k = 1; k + 1 < order.size(); ++k)
        triangles.insert(triangles.end(), {order[0], order[k], order[k + 1]});
}

// A quad is concave at one corner at most, and then cut from that corner.
bool cutQuad(const Point2* p, uint32_t (&triangles)[6]) {
    int concave = -1, concaveCorners = 0;
    for (int i = 0; i < 4; ++i)
        if (cross(p[(i + 3) % 4], p[i], p[(i + 1) % 4]) < 0) {
            concave = i;
            ++concaveCorners;
        }
    const uint32_t r = concave < 0 ? 0 : uint32_t(concave);
    const uint32_t cut[6] = {r, (r + 1) % 4, (r + 2) % 4, r, (r + 2) % 4, (r + 3) % 4};
    std::copy(cut, cut + 6, triangles);
    return concaveCorners <= 1;
}

// Ear clipping over a ring of the corners. Only concave corners can lie in an
// ear, so only they are tested, and only those in the grid cells the ear's box
// touches; a budget of work bounds the hostile cases.
class EarClipper {
  public:
    explicit EarClipper(const std::vector<Point2>& p)
        : p_(p), n_(uint32_t(p.size())), prev_(n_), next_(n_), concave_(n_) {
        for (uint32_t i = 0; i < n_; ++i) {
            prev_[i] = i ? i - 1 : n_ - 1;
            next_[i] = i + 1 < n_ ? i + 1 : 0;
        }
        std::vector<uint32_t> concave;
        for (uint32_t i = 0; i < n_; ++i)
            if ((concave_[i] = turn(i) < 0))
                concave.push_back(i);
        buildGrid(concave);
        budget_ = 16'000'000 + 128 * int64_t(n_);
    }

    bool cut(std::vector<uint32_t>& triangles) {
        bool exact = true;
        uint32_t i = 0, left = n_, stalled = 0, convexSeen = kNone;
        while (left > 3) {
            if (--budget_ < 0) {
                exact = false;
                break;
            }
            bool clip = isEar(prev_[i], i, next_[i]);
            if (!clip && ++stalled > left) {
                // A whole round without an ear: the polygon crosses itself.
                // Cut a convex corner anyway (any corner when none is left).
                exact = false;
                if (convexSeen != kNone)
                    i = convexSeen;
                clip = true;
            }
            if (!clip) {
                if (!concave_[i])
                    convexSeen = i;
                i = next_[i];
                continue;
            }
            const uint32_t a = prev_[i], c = next_[i];
            triangles.insert(triangles.end(), {a, i, c});
            concave_[i] = false;
            next_[a] = c;
            prev_[c] = a;
            reclassify(a);
            reclassify(c);
            --left;
            stalled = 0;
            convexSeen = kNone;
            // On past the next corner: ears then stay small and spread round
            // the polygon instead of fanning out from one corner.
            i = next_[c];
        }
        std::vector<uint32_t> rest{i};
        for (uint32_t k = next_[i]; k != i; k = next_[k])
            rest.push_back(k);
        fan(rest, triangles);
        return exact;
    }

  private:
    static constexpr uint32_t kNone = ~0u;

    double turn(uint32_t i) const { return cross(p_[prev_[i]], p_[i], p_[next_[i]]); }

    // A corner turns concave only where the polygon crosses itself; those few
    // are kept apart from the grid.
    void reclassify(uint32_t i) {
        const bool concave = turn(i) < 0;
        if (concave && !concave_[i])
            late_.push_back(i);
        concave_[i] = concave;
    }

    void buildGrid(const std::vector<uint32_t>& concave) {
        double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
        for (uint32_t r : concave) {
            x0 = std::min(x0, p_[r].x), x1 = std::max(x1, p_[r].x);
            y0 = std::min(y0, p_[r].y), y1 = std::max(y1, p_[r].y);
        }
        side_ = std::clamp(int(std::sqrt(double(concave.size()))), 1, 1024);
        origin_ = {x0, y0};
        cellSize_ = {std::max((x1 - x0) / side_, 1e-300), std::max((y1 - y0) / side_, 1e-300)};
        // The cells' corners, cell by cell, in one array.
        std::vector<uint32_t> count(size_t(side_) * side_ + 1);
        for (uint32_t r : concave)
            ++count[cellOf(p_[r]) + 1];
        for (size_t k = 1; k < count.size(); ++k)
            count[k] += count[k - 1];
        cellStart_ = count;
        cells_.resize(concave.size());
        for (uint32_t r : concave)
            cells_[count[cellOf(p_[r])]++] = r;
    }

    int cellCoordinate(double v, double origin, double size) const {
        const double k = (v - origin) / size;
        return k < 0 ? 0 : k >= side_ ? side_ - 1 : int(k); // also for NaN: the first cell
    }
    size_t cellOf(Point2 q) const {
        return size_t(cellCoordinate(q.y, origin_.y, cellSize_.y)) * side_ +
               size_t(cellCoordinate(q.x, origin_.x, cellSize_.x));
    }

    bool blocks(uint32_t r, uint32_t a, uint32_t b, uint32_t c) const {
        if (!concave_[r] || r == a || r == b || r == c)
            return false;
        const Point2 q = p_[r];
        if (sameSpot(q, p_[a]) || sameSpot(q, p_[b]) || sameSpot(q, p_[c]))
            return false;
        return inTriangle(q, p_[a], p_[b], p_[c]);
    }

    bool isEar(uint32_t a, uint32_t b, uint32_t c) {
        const double t = cross(p_[a], p_[b], p_[c]);
        if (t == 0)
            return true; // no area: cutting it off covers nothing
        if (!(t > 0))
            return false; // concave, or not a number
        const Point2 lo{std::min({p_[a].x, p_[b].x, p_[c].x}),
                        std::min({p_[a].y, p_[b].y, p_[c].y})};
        const Point2 hi{std::max({p_[a].x, p_[b].x, p_[c].x}),
                        std::max({p_[a].y, p_[b].y, p_[c].y})};
        const int cx0 = cellCoordinate(lo.x, origin_.x, cellSize_.x);
        const int cx1 = cellCoordinate(hi.x, origin_.x, cellSize_.x);
        const int cy0 = cellCoordinate(lo.y, origin_.y, cellSize_.y);
        const int cy1 = cellCoordinate(hi.y, origin_.y, cellSize_.y);
        for (int cy = cy0; cy <= cy1; ++cy)
            for (int cx = cx0; cx <= cx1; ++cx) {
                const size_t cell = size_t(cy) * side_ + size_t(cx);
                budget_ -= int64_t(cellStart_[cell + 1] - cellStart_[cell]) + 1;
                for (uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k)
                    if (blocks(cells_[k], a, b, c))
                        return false;
            }
        budget_ -= int64_t(late_.size());
        for (uint32_t r : late_)
            if (blocks(r, a, b, c))
                return false;
        return true;
    }

    const std::vector<Point2>& p_;
    uint32_t n_;
    std::vector<uint32_t> prev_, next_;
    std::vector<bool> concave_; // still concave and in the ring
    // The corners concave at the start, by grid cell: cells_[cellStart_[k]...].
    int side_{1};
    Point2 origin_{}, cellSize_{};
    std::vector<uint32_t> cellStart_, cells_;
    std::vector<uint32_t> late_; // corners that turned concave later
    int64_t budget_{};
};

} // namespace

bool triangulateQuad(const Vector3D* corners, const Vector3D& normal, uint32_t (&triangles)[6]) {
    if (normal.x == 0 && normal.y == 0 && normal.z == 0) {
        const uint32_t fan[6] = {0, 1, 2, 0, 2, 3}; // no area: any cut is as good
        std::copy(fan, fan + 6, triangles);
        return true;
    }
    Point2 quad[4];
    project(corners, 4, normal, quad);
    return cutQuad(quad, triangles);
}

bool triangulatePolygon(const Vector3D* corners, size_t count, const Vector3D& normal,
                        std::vector<uint32_t>& triangles) {
    const uint32_t n = uint32_t(count);
    if (n < 3)
        return true;
    if (n == 3) {
        triangles.insert(triangles.end(), {0, 1, 2});
        return true;
    }
    if (normal.x == 0 && normal.y == 0 && normal.z == 0) {
        // No area to cover: any cut is as good.
        std::vector<uint32_t> order(n);
        for (uint32_t i = 0; i < n; ++i)
            order[i] = i;
        fan(order, triangles);
        return true;
    }
    if (n == 4) {
        uint32_t quad[6];
        const bool exact = triangulateQuad(corners, normal, quad);
        triangles.insert(triangles.end(), quad, quad + 6);
        return exact;
    }
    std::vector<Point2> p(n);
    project(corners, n, normal, p.data());
    return EarClipper(p).cut(triangles);
}

} // namespace mesh
