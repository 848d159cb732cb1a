#include "computation/site_symmetry.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace kalidos {
namespace {

using Point = std::array<double, 3>;

constexpr double kExact = 1e-6;            // rotation entries, and a site on its special position
constexpr double kSameTranslation = 1e-3;  // translations of a table written to a few decimals
constexpr double kSameImage = 2e-4;        // images of a site on its special position

struct Op {
    double r[3][3];
    Point t;
};

double wrapped(double v)
{
    return v - std::round(v);
}

Op from_table(const SymmetryOperator& s)
{
    Op op{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            op.r[i][j] = s.m[i][j];
        op.t[static_cast<std::size_t>(i)] = s.m[i][3];
    }
    return op;
}

Point apply(const Op& op, const Point& p)
{
    Point q{};
    for (std::size_t i = 0; i < 3; ++i)
        q[i] = op.r[i][0] * p[0] + op.r[i][1] * p[1] + op.r[i][2] * p[2] + op.t[i];
    return q;
}

Op product(const Op& a, const Op& b)
{
    Op c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                c.r[i][j] += a.r[i][k] * b.r[k][j];
    c.t = apply(a, b.t);
    return c;
}

// Equal modulo whole cell translations.
bool same(const Op& a, const Op& b)
{
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            if (std::fabs(a.r[i][j] - b.r[i][j]) > kExact)
                return false;
        if (std::fabs(wrapped(a.t[static_cast<std::size_t>(i)] - b.t[static_cast<std::size_t>(i)])) > kSameTranslation)
            return false;
    }
    return true;
}

bool contains(const std::vector<Op>& ops, const Op& op)
{
    return std::any_of(ops.begin(), ops.end(), [&](const Op& o) { return same(o, op); });
}

// The operator moved by the whole cell translation that brings its image of p nearest to p.
Op lifted(const Op& op, const Point& p)
{
    Op near = op;
    const Point image = apply(op, p);
    for (std::size_t i = 0; i < 3; ++i)
        near.t[i] += std::round(p[i] - image[i]);
    return near;
}

double max_abs(const Point& v)
{
    return std::max({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])});
}

Point minus(const Point& a, const Point& b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

Point cross(const Point& a, const Point& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const Point& a, const Point& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The smallest largest-component of d + c·u over all c: the optimum lies where two components
// (or one component and zero) are equal in size.
double line_distance(const Point& d, const Point& u)
{
    double best = max_abs(d);
    const auto try_c = [&](double c) {
        best = std::min(best, max_abs({d[0] + c * u[0], d[1] + c * u[1], d[2] + c * u[2]}));
    };
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::fabs(u[i]) > kExact)
            try_c(-d[i] / u[i]);
        for (std::size_t j = i + 1; j < 3; ++j)
            for (const double s : {1.0, -1.0})
                if (std::fabs(u[i] - s * u[j]) > kExact)
                    try_c(-(d[i] - s * d[j]) / (u[i] - s * u[j]));
    }
    return best;
}

// Distance along the axes (the largest component) from p to the nearest point that `op`, lifted
// to p, leaves in place; a negative value when it leaves none (a screw or glide part).
double fixed_point_distance(const Op& op, const Point& p)
{
    const Op near = lifted(op, p);
    // A rotation brings p back after at most 6 steps, and the mean of the images on the way is
    // one of its fixed points; a screw or glide never brings it back.
    Point sum = p, image = apply(near, p);
    int order = 1;
    while (max_abs(minus(image, p)) > kSameTranslation) {
        if (++order > 6)
            return -1;
        for (std::size_t i = 0; i < 3; ++i)
            sum[i] += image[i];
        image = apply(near, image);
    }
    Point mean{};
    for (std::size_t i = 0; i < 3; ++i)
        mean[i] = sum[i] / order;
    const Point d = minus(mean, p);
    // The fixed points are mean + the null space of R - 1.
    Point rows[3];
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            rows[i][j] = near.r[i][j] - (i == j ? 1.0 : 0.0);
    if (std::fabs(dot(rows[0], cross(rows[1], rows[2]))) > kExact)
        return max_abs(d);  // a single fixed point
    for (const auto& [a, b] : {std::pair{0, 1}, std::pair{0, 2}, std::pair{1, 2}}) {
        const Point axis = cross(rows[a], rows[b]);
        if (max_abs(axis) > kExact)
            return line_distance(d, axis);  // a rotation axis
    }
    for (const Point& normal : rows) {
        const double norm = std::fabs(normal[0]) + std::fabs(normal[1]) + std::fabs(normal[2]);
        if (norm > kExact)
            return std::fabs(dot(normal, d)) / norm;  // a mirror plane
    }
    return 0;  // the identity, or a pure translation brought back to the identity
}

// The operators and all their products, modulo whole cell translations (at most `limit` of them,
// so that a table that is no group cannot make it grow without end).
std::vector<Op> closure(std::vector<Op> group, std::size_t limit)
{
    for (std::size_t i = 0; i < group.size() && group.size() <= limit; ++i)
        for (std::size_t j = 0; j <= i; ++j)
            for (const Op& candidate : {product(group[i], group[j]), product(group[j], group[i])})
                if (!contains(group, candidate))
                    group.push_back(candidate);
    return group;
}

std::vector<Op> stabiliser(const std::vector<Op>& group, const Point& p, double tolerance)
{
    std::vector<Op> fixing;
    for (const Op& op : group) {
        const double distance = fixed_point_distance(op, p);
        if (distance >= 0 && distance <= tolerance)
            fixing.push_back(op);
    }
    return closure(fixing, group.size());
}

// The common fixed point nearest p: the mean of p's images under the lifted operators.
Point centre(const std::vector<Op>& ops, const Point& p)
{
    Point sum{};
    for (const Op& op : ops) {
        const Point image = apply(lifted(op, p), p);
        for (std::size_t i = 0; i < 3; ++i)
            sum[i] += image[i];
    }
    for (double& v : sum)
        v /= static_cast<double>(ops.size());
    return sum;
}

int distinct_images(const std::vector<Op>& group, const Point& p)
{
    std::vector<Point> images;
    for (const Op& op : group) {
        const Point image = apply(op, p);
        const bool seen = std::any_of(images.begin(), images.end(), [&](const Point& q) {
            return std::fabs(wrapped(q[0] - image[0])) <= kSameImage &&
                   std::fabs(wrapped(q[1] - image[1])) <= kSameImage &&
                   std::fabs(wrapped(q[2] - image[2])) <= kSameImage;
        });
        if (!seen)
            images.push_back(image);
    }
    return static_cast<int>(images.size());
}

}  // namespace

int site_multiplicity(const std::vector<SymmetryOperator>& operators, double x, double y, double z,
                      double tolerance)
{
    std::vector<Op> group;
    for (const SymmetryOperator& s : operators)
        group.push_back(from_table(s));
    Point site{x, y, z};
    std::vector<Op> fixing = stabiliser(group, site, tolerance);
    // On the common fixed point of those operators the whole site-symmetry group of that special
    // position shows: the site moves there until the group stops growing.
    for (int round = 0; round < 3; ++round) {
        site = centre(fixing, site);
        std::vector<Op> exact = stabiliser(group, site, kExact);
        if (exact.size() <= fixing.size())
            break;
        fixing = std::move(exact);
    }
    return distinct_images(group, site);
}

}  // namespace kalidos
