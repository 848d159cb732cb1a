#include "indexing/lattice_settings.hpp"

#include <Eigen/LU>  // for the determinant of a change of basis

#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <string>
#include <tuple>

namespace kalidos {
namespace {

constexpr double kPi = 3.14159265358979323846;

bool integral(const Eigen::Vector3d& v)
{
    return (v.array() - v.array().round()).abs().maxCoeff() < 1e-9;
}

// The centring of the conventional cell whose edges are the columns of `p` (integers, in a
// primitive basis, with `points` lattice points): the letter whose centring vectors (in the
// conventional cell's fractions) are lattice vectors, 0 for none indexing names.
char centring_of(const Eigen::Matrix3d& p, int points)
{
    const auto lattice = [&](double x, double y, double z) { return integral(p * Eigen::Vector3d(x, y, z)); };
    switch (points) {
    case 1: return 'P';
    case 2:
        return lattice(0, 0.5, 0.5) ? 'A' : lattice(0.5, 0, 0.5) ? 'B' : lattice(0.5, 0.5, 0) ? 'C' : lattice(0.5, 0.5, 0.5) ? 'I' : 0;
    case 3: return lattice(2.0 / 3, 1.0 / 3, 1.0 / 3) ? 'R' : 0;
    case 4: return lattice(0, 0.5, 0.5) && lattice(0.5, 0, 0.5) && lattice(0.5, 0.5, 0) ? 'F' : 0;
    default: return 0;
    }
}

}  // namespace

std::vector<ConventionalSetting> conventional_settings(const UnitCell& reduced, double angleTolerance)
{
    const Eigen::Matrix3d g = direct_metric(reduced);
    const double most = std::sin(angleTolerance * kPi / 180);
    // Edges equal within the share of their length an angle's tolerance makes.
    const auto equal = [&](double x, double y) { return std::fabs(std::sqrt(x) - std::sqrt(y)) <= most * std::sqrt(std::max(x, y)); };
    // Per system and unique axis: the fewest lattice points, then the shortest edges.
    std::map<std::tuple<int, int, int, int>, std::tuple<int, double, ConventionalSetting>> best;
    // The lattice vectors of indices −2..2 in the reduced basis: the edges of the conventional cells
    // (an F cell's edges are sums of three reduced edges, which a reduced basis may stretch); the
    // unique axis up to 3 (an R cell's c is the sum of its three rhombohedral edges, which a
    // reduced basis of an acute rhombohedron writes with a 3).
    std::vector<Eigen::Vector3d> vectors, axes;
    for (int code = 0; code < 343; ++code) {
        const Eigen::Vector3d v(code % 7 - 3, code / 7 % 7 - 3, code / 49 - 3);
        if (v.isZero())
            continue;
        if (v(0) > 0 || (v(0) == 0 && (v(1) > 0 || (v(1) == 0 && v(2) > 0))))
            axes.push_back(v);  // one of ±v: the other sign comes from the other edges
        if (v.cwiseAbs().maxCoeff() <= 2)
            vectors.push_back(v);
    }
    const auto perpendicular = [&](const Eigen::Vector3d& u, const Eigen::Vector3d& v) {
        return std::fabs(u.dot(g * v)) <= most * std::sqrt(u.dot(g * u) * v.dot(g * v));
    };
    std::vector<std::array<Eigen::Vector3d, 3>> bases;
    for (const Eigen::Vector3d& c : axes) {
        std::vector<Eigen::Vector3d> across;
        for (const Eigen::Vector3d& v : vectors)
            if (perpendicular(v, c))
                across.push_back(v);
        for (const Eigen::Vector3d& a : across)
            for (const Eigen::Vector3d& b : across) {
                Eigen::Matrix3d q;
                q << a, b, c;
                const double points = q.determinant();
                if (points > 0.5 && points < 4.5)
                    bases.push_back({a, b, c});
            }
    }
    for (const auto& [a, b, c] : bases) {
        Eigen::Matrix3d q;
        q << a, b, c;
        const int points = static_cast<int>(std::lround(q.determinant()));
        Eigen::Matrix3d m = q.transpose() * g * q;
        const auto cosine = [&](int i, int j) { return m(i, j) / std::sqrt(m(i, i) * m(j, j)); };
        LatticeSystem system = LatticeSystem::Monoclinic;
        if (std::fabs(cosine(0, 1) + 0.5) <= most && equal(m(0, 0), m(1, 1)))
            system = LatticeSystem::Hexagonal;
        else if (std::fabs(cosine(0, 1)) <= most)
            system = !equal(m(0, 0), m(1, 1)) ? LatticeSystem::Orthorhombic
                     : equal(m(0, 0), m(2, 2)) ? LatticeSystem::Cubic
                                               : LatticeSystem::Tetragonal;
        // Monoclinic with b unique: the edges (b', c', a') of the cell found with c' unique, a
        // cyclic change that keeps the basis right-handed.
        if (system == LatticeSystem::Monoclinic) {
            Eigen::Matrix3d swap;
            swap << 0, 0, 1, 1, 0, 0, 0, 1, 0;
            q = q * swap;
            m = q.transpose() * g * q;
            if (m(0, 2) > 0) {  // β of at least 90°
                q.col(0) = -q.col(0), q.col(1) = -q.col(1);
                m = q.transpose() * g * q;
            }
        }
        const char named = centring_of(q, points);
        if (!named || std::string(centrings_of(system)).find(named) == std::string::npos)
            continue;
        Eigen::Vector3i axis = Eigen::Vector3i::Zero();
        if (system == LatticeSystem::Monoclinic) {
            axis = q.col(1).cast<int>();
            const int d = std::gcd(std::gcd(std::abs(axis(0)), std::abs(axis(1))), std::abs(axis(2)));
            axis /= d;
            for (int e = 0; e < 3; ++e)
                if (axis(e) != 0) {
                    if (axis(e) < 0)
                        axis = -axis;
                    break;
                }
        }
        const double length = m.trace();
        const auto key = std::make_tuple(static_cast<int>(system), axis(0), axis(1), axis(2));
        const auto it = best.find(key);
        if (it != best.end() && std::tie(std::get<0>(it->second), std::get<1>(it->second)) <= std::tie(points, length))
            continue;
        ConventionalSetting setting{system, named, cell_of_metric(m)};
        setting.cell.alpha = 90;
        setting.cell.gamma = system == LatticeSystem::Hexagonal ? 120 : 90;
        if (system != LatticeSystem::Monoclinic)
            setting.cell.beta = 90;
        best[key] = {points, length, setting};
    }
    std::vector<ConventionalSetting> settings;
    for (const auto& [key, value] : best)
        settings.push_back(std::get<2>(value));
    return settings;
}

}  // namespace kalidos
