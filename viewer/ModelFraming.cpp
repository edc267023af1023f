#include "viewer/ModelFraming.h"

#include <algorithm>
#include <cmath>

namespace {

// The model takes up to this share of the view's shorter side.
constexpr double kMargin = 1.08;
constexpr double kPi = 3.14159265358979323846;

} // namespace

ModelBounds boundsOfVertices(const Vector3D* verts, int32_t count) {
    ModelBounds b;
    for (int32_t i = 0; i < count; ++i) {
        const double p[3] = {verts[i].x, verts[i].y, verts[i].z};
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]))
            continue;
        for (int k = 0; k < 3; ++k) {
            b.min[k] = b.found ? std::min(b.min[k], p[k]) : p[k];
            b.max[k] = b.found ? std::max(b.max[k], p[k]) : p[k];
        }
        b.found = true;
    }
    return b;
}

void fitIntoUnitSphere(std::vector<Vector3D>& vertices) {
    const ModelBounds b = boundsOfVertices(vertices.data(), int32_t(vertices.size()));
    if (!b.found)
        return;
    const double centre[3] = {(b.min[0] + b.max[0]) / 2, (b.min[1] + b.max[1]) / 2,
                              (b.min[2] + b.max[2]) / 2};
    // The sphere about the box's centre through the farthest vertex: it holds
    // the model however it turns, and is often much smaller than the box's
    // own (a flat model, a knot).
    double radius2 = 0;
    for (const Vector3D& v : vertices) {
        const double d[3] = {v.x - centre[0], v.y - centre[1], v.z - centre[2]};
        const double r2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        if (std::isfinite(r2))
            radius2 = std::max(radius2, r2);
    }
    const double radius = std::sqrt(radius2);
    // In double: the differences of large, nearby coordinates stay exact.
    const double scale = radius > 0 && std::isfinite(radius) ? 1 / radius : 1;
    for (Vector3D& v : vertices) {
        v.x = float((double(v.x) - centre[0]) * scale);
        v.y = float((double(v.y) - centre[1]) * scale);
        v.z = float((double(v.z) - centre[2]) * scale);
    }
}

float framingDistance(float fovyDegrees, float aspect) {
    const double halfY = fovyDegrees * kPi / 360;
    // A view narrower than tall is framed by its horizontal field of view.
    const double halfX = std::atan(std::tan(halfY) * std::max(double(aspect), 1e-3));
    return float(kMargin / std::sin(std::min(halfY, halfX)));
}
