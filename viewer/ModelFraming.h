// Puts any model in view: a 1 mm part, a 10 km terrain or a model far from
// the origin all become the same unit-sized model at the origin, so one
// camera distance frames each, and the float arithmetic of turning and
// projecting works near zero where it is exact enough.
#pragma once

#include "math/Vector3D.h"

#include <cstdint>
#include <vector>

struct ModelBounds {
    double min[3]{};
    double max[3]{};
    // False when no vertex had finite coordinates.
    bool found{};
};

// The box around the finite vertices; vertices with a NaN or infinite
// coordinate (a file may hold them) are left out.
ModelBounds boundsOfVertices(const Vector3D* verts, int32_t count);

// Moves and scales the vertices so that the box's centre is at the origin and
// the farthest vertex from it at distance 1. A model of one point only moves.
void fitIntoUnitSphere(std::vector<Vector3D>& vertices);

// The distance from the eye at which a sphere of radius 1 fills the view of
// vertical field of view fovyDegrees and the given width over height, with a
// small margin all round.
float framingDistance(float fovyDegrees, float aspect);
