// Coordination polyhedra: the convex hull of an atom's bonded neighbours.
#pragma once

#include <vector>

#include "geometry/cell_frame.hpp"

namespace kalidos {

// Faces as lists of indices into the vertices, each ordered around its face; coplanar hull points
// share one face (the square faces of a cube are squares, not pairs of triangles).
struct Polyhedron {
    int centre = -1;  // the index of the central atom in the caller's list
    std::vector<Vec3> vertices;
    std::vector<std::vector<int>> faces;
};

// The hull of `vertices` (Å); no face when they are fewer than four or all in one plane.
Polyhedron convex_polyhedron(int centre, const std::vector<Vec3>& vertices);

}  // namespace kalidos
