#include "geometry/polyhedra.hpp"

#include <algorithm>
#include <cmath>

namespace kalidos {
namespace {

constexpr double kInPlane = 1e-3;  // Å from the plane of a face

// The points on the plane through i, j, k when every point lies on one side of it; empty otherwise.
std::vector<int> supporting_face(const std::vector<Vec3>& v, std::size_t i, std::size_t j, std::size_t k)
{
    Vec3 normal = cross(v[j] - v[i], v[k] - v[i]);
    const double length = norm(normal);
    if (length < 1e-6)
        return {};
    normal = (1 / length) * normal;
    std::vector<int> onPlane;
    int above = 0, below = 0;
    for (std::size_t m = 0; m < v.size(); ++m) {
        const double h = dot(normal, v[m] - v[i]);
        if (std::fabs(h) <= kInPlane)
            onPlane.push_back(static_cast<int>(m));
        else
            (h > 0 ? above : below) += 1;
    }
    if (above > 0 && below > 0)
        return {};
    return onPlane;
}

// The face's points ordered by angle around their centroid, in the plane of the face.
void order_around(const std::vector<Vec3>& v, std::vector<int>& face)
{
    Vec3 centroid{};
    for (int m : face)
        centroid = centroid + v[static_cast<std::size_t>(m)];
    centroid = (1.0 / static_cast<double>(face.size())) * centroid;
    const Vec3 u = v[static_cast<std::size_t>(face[0])] - centroid;
    const Vec3 normal = cross(v[static_cast<std::size_t>(face[1])] - v[static_cast<std::size_t>(face[0])],
                              v[static_cast<std::size_t>(face[2])] - v[static_cast<std::size_t>(face[0])]);
    const Vec3 w = cross(normal, u);
    const auto angle = [&](int m) {
        const Vec3 r = v[static_cast<std::size_t>(m)] - centroid;
        return std::atan2(dot(r, w), dot(r, u));
    };
    std::sort(face.begin(), face.end(), [&](int a, int b) { return angle(a) < angle(b); });
}

}  // namespace

Polyhedron convex_polyhedron(int centre, const std::vector<Vec3>& vertices)
{
    Polyhedron hull{centre, vertices, {}};
    std::vector<std::vector<int>> seen;
    const std::size_t n = vertices.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            for (std::size_t k = j + 1; k < n; ++k) {
                std::vector<int> face = supporting_face(vertices, i, j, k);
                if (face.size() < 3 || face.size() == n || std::find(seen.begin(), seen.end(), face) != seen.end())
                    continue;
                seen.push_back(face);
                order_around(vertices, face);
                hull.faces.push_back(face);
            }
    return hull;
}

}  // namespace kalidos
