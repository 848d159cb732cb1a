#include "indexing/niggli_reduction.hpp"

#include <Eigen/LU>  // for the determinant of a change of basis

#include <cmath>
#include <vector>

namespace kalidos {
namespace {

constexpr int kMostSteps = 1000;

// The six Niggli parameters A = a², B = b², C = c², ξ = 2bc cos α, η = 2ac cos β, ζ = 2ab cos γ, and
// the change of basis made so far.
struct Reduction {
    double A, B, C, xi, eta, zeta;
    double eps;
    Eigen::Matrix3i t = Eigen::Matrix3i::Identity();

    bool lt(double x, double y) const { return x < y - eps; }
    bool gt(double x, double y) const { return y < x - eps; }
    bool eq(double x, double y) const { return !(lt(x, y) || gt(x, y)); }
    int sign_of(double x) const { return gt(x, 0) ? 1 : lt(x, 0) ? -1 : 0; }
    void apply(const Eigen::Matrix3i& m) { t = t * m; }
};

Eigen::Matrix3i matrix(int a, int b, int c, int d, int e, int f, int g, int h, int i)
{
    Eigen::Matrix3i m;
    m << a, b, c, d, e, f, g, h, i;
    return m;
}

// Steps N1 and N2 of Grosse-Kunstleve et al.: A ≤ B ≤ C, ties broken on |ξ| ≤ |η| ≤ |ζ|.
bool order_lengths(Reduction& r)
{
    bool swapped = false;
    if (r.gt(r.A, r.B) || (r.eq(r.A, r.B) && r.gt(std::fabs(r.xi), std::fabs(r.eta)))) {
        std::swap(r.A, r.B);
        std::swap(r.xi, r.eta);
        r.apply(matrix(0, -1, 0, -1, 0, 0, 0, 0, -1));
    }
    if (r.gt(r.B, r.C) || (r.eq(r.B, r.C) && r.gt(std::fabs(r.eta), std::fabs(r.zeta)))) {
        std::swap(r.B, r.C);
        std::swap(r.eta, r.zeta);
        r.apply(matrix(-1, 0, 0, 0, 0, -1, 0, -1, 0));
        swapped = true;
    }
    return swapped;
}

// Step N3: the three angle terms made all positive (type I) or all non-positive (type II).
void normalise_signs(Reduction& r)
{
    const int l = r.sign_of(r.xi), m = r.sign_of(r.eta), n = r.sign_of(r.zeta);
    int i = 1, j = 1, k = 1;
    const bool allAcute = (l == 1 && m == 1 && n == 1) || (l != 0 && m != 0 && n != 0 && l * m * n == 1);
    if (allAcute) {
        i = l == -1 ? -1 : 1;
        j = m == -1 ? -1 : 1;
        k = n == -1 ? -1 : 1;
        r.xi = std::fabs(r.xi), r.eta = std::fabs(r.eta), r.zeta = std::fabs(r.zeta);
    } else {
        int* zero = nullptr;
        if (l == 1) i = -1; else if (l == 0) zero = &i;
        if (m == 1) j = -1; else if (m == 0) zero = &j;
        if (n == 1) k = -1; else if (n == 0) zero = &k;
        if (i * j * k < 0 && zero)
            *zero = -1;
        r.xi = -std::fabs(r.xi), r.eta = -std::fabs(r.eta), r.zeta = -std::fabs(r.zeta);
    }
    r.apply(matrix(i, 0, 0, 0, j, 0, 0, 0, k));
}

// Steps A5 to A8; true when one changed the basis (the algorithm then starts again).
bool shorten(Reduction& r)
{
    if (r.gt(std::fabs(r.xi), r.B) || (r.eq(r.xi, r.B) && r.lt(2 * r.eta, r.zeta)) ||
        (r.eq(r.xi, -r.B) && r.lt(r.zeta, 0))) {
        const int s = r.xi > 0 ? 1 : -1;
        r.C = r.B + r.C - s * r.xi;
        r.eta -= s * r.zeta;
        r.xi -= 2 * s * r.B;
        r.apply(matrix(1, 0, 0, 0, 1, -s, 0, 0, 1));
        return true;
    }
    if (r.gt(std::fabs(r.eta), r.A) || (r.eq(r.eta, r.A) && r.lt(2 * r.xi, r.zeta)) ||
        (r.eq(r.eta, -r.A) && r.lt(r.zeta, 0))) {
        const int s = r.eta > 0 ? 1 : -1;
        r.C = r.A + r.C - s * r.eta;
        r.xi -= s * r.zeta;
        r.eta -= 2 * s * r.A;
        r.apply(matrix(1, 0, -s, 0, 1, 0, 0, 0, 1));
        return true;
    }
    if (r.gt(std::fabs(r.zeta), r.A) || (r.eq(r.zeta, r.A) && r.lt(2 * r.xi, r.eta)) ||
        (r.eq(r.zeta, -r.A) && r.lt(r.eta, 0))) {
        const int s = r.zeta > 0 ? 1 : -1;
        r.B = r.A + r.B - s * r.zeta;
        r.xi -= s * r.eta;
        r.zeta -= 2 * s * r.A;
        r.apply(matrix(1, -s, 0, 0, 1, 0, 0, 0, 1));
        return true;
    }
    const double sum = r.xi + r.eta + r.zeta + r.A + r.B;
    if (r.lt(sum, 0) || (r.eq(sum, 0) && r.gt(2 * (r.A + r.eta) + r.zeta, 0))) {
        r.C = r.A + r.B + r.C + r.xi + r.eta + r.zeta;
        r.xi = 2 * r.B + r.xi + r.zeta;
        r.eta = 2 * r.A + r.eta + r.zeta;
        r.apply(matrix(1, 0, 1, 0, 1, 1, 0, 0, 1));
        return true;
    }
    return false;
}

// The integer vectors of entries -1..1 whose length squared in metric `g` is within `tolerance`
// of `target`.
std::vector<Eigen::Vector3d> vectors_of_length(const Eigen::Matrix3d& g, double target, double tolerance)
{
    std::vector<Eigen::Vector3d> found;
    for (int h = -1; h <= 1; ++h)
        for (int k = -1; k <= 1; ++k)
            for (int l = -1; l <= 1; ++l) {
                const Eigen::Vector3d v(h, k, l);
                if ((h || k || l) && std::fabs(v.dot(g * v) - target) <= tolerance * target)
                    found.push_back(v);
            }
    return found;
}

}  // namespace

ReducedCell niggli_reduce(const UnitCell& primitive, double relativeEpsilon)
{
    const Eigen::Matrix3d g = direct_metric(primitive);
    Reduction r{g(0, 0), g(1, 1), g(2, 2), 2 * g(1, 2), 2 * g(0, 2), 2 * g(0, 1), 0};
    const double side = std::cbrt(std::max(volume_of(primitive), 1e-12));
    r.eps = relativeEpsilon * side * side;
    ReducedCell reduced;
    for (reduced.steps = 0; reduced.steps < kMostSteps; ++reduced.steps) {
        if (order_lengths(r))
            continue;
        normalise_signs(r);
        if (!shorten(r))
            break;
    }
    reduced.transform = r.t;
    const Eigen::Matrix3d t = r.t.cast<double>();
    reduced.cell = cell_of_metric(t.transpose() * g * t);
    return reduced;
}

bool same_lattice(const UnitCell& first, const UnitCell& second, double tolerance)
{
    const double v1 = volume_of(first), v2 = volume_of(second);
    if (!(v1 > 0 && v2 > 0) || std::fabs(v1 - v2) > 3 * tolerance * std::max(v1, v2))
        return false;
    const Eigen::Matrix3d g1 = direct_metric(niggli_reduce(first).cell);
    const Eigen::Matrix3d g2 = direct_metric(niggli_reduce(second).cell);
    // Reduced cells near a boundary of the reduction differ by a change of basis of small integers.
    std::vector<Eigen::Vector3d> columns[3];
    for (int i = 0; i < 3; ++i) {
        columns[i] = vectors_of_length(g1, g2(i, i), 2 * tolerance);
        if (columns[i].empty())
            return false;
    }
    const auto close = [&](const Eigen::Vector3d& u, const Eigen::Vector3d& v, int i, int j) {
        return std::fabs(u.dot(g1 * v) - g2(i, j)) <= tolerance * std::sqrt(g2(i, i) * g2(j, j));
    };
    for (const Eigen::Vector3d& x : columns[0])
        for (const Eigen::Vector3d& y : columns[1]) {
            if (!close(x, y, 0, 1))
                continue;
            for (const Eigen::Vector3d& z : columns[2]) {
                Eigen::Matrix3d m;
                m << x, y, z;
                if (close(x, z, 0, 2) && close(y, z, 1, 2) && std::fabs(std::fabs(m.determinant()) - 1) < 1e-9)
                    return true;
            }
        }
    return false;
}

}  // namespace kalidos
