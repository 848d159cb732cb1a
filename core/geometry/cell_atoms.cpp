#include "geometry/cell_atoms.hpp"

#include <cmath>

#include "computation/site_multiplicity.hpp"

namespace kalidos {
namespace {

constexpr double kOnBoundary = 1e-4;  // fractional

Vec3 apply(const SymmetryOperator& op, const Vec3& p)
{
    Vec3 q{};
    for (std::size_t i = 0; i < 3; ++i)
        q[i] = op.m[i][0] * p[0] + op.m[i][1] * p[1] + op.m[i][2] * p[2] + op.m[i][3];
    return q;
}

double into_cell(double v)
{
    double r = v - std::floor(v);
    return r >= 1 - 1e-9 ? 0.0 : r;  // a rounding of -1e-17 gives 1, which is 0
}

bool same_site(const Vec3& a, const Vec3& b)
{
    for (std::size_t i = 0; i < 3; ++i) {
        const double d = a[i] - b[i];
        if (std::fabs(d - std::round(d)) > kSameCellSite)
            return false;
    }
    return true;
}

// The whole-cell offsets n with from ≤ v + n ≤ to.
void offsets_in_range(double v, int from, int to, std::vector<int>& offsets)
{
    offsets.clear();
    for (int n = static_cast<int>(std::floor(from - v)) - 1; n <= static_cast<int>(std::ceil(to - v)) + 1; ++n)
        if (v + n >= from - kOnBoundary && v + n <= to + kOnBoundary)
            offsets.push_back(n);
}

}  // namespace

std::vector<CellSite> cell_sites(const StructureModel& model, int atom)
{
    std::vector<CellSite> sites;
    const Vec3 own{model.atomX[atom], model.atomY[atom], model.atomZ[atom]};
    const std::vector<SymmetryOperator> operators = applied_operators(model);
    for (std::size_t j = 0; j < operators.size(); ++j) {
        Vec3 image = apply(operators[j], own);
        for (double& v : image)
            v = into_cell(v);
        bool known = false;
        for (const CellSite& s : sites)
            known = known || same_site(s.fractional, image);
        if (!known)
            sites.push_back({atom, static_cast<int>(j), image});
    }
    return sites;
}

std::vector<CellSite> all_cell_sites(const StructureModel& model)
{
    std::vector<CellSite> sites;
    for (int n = 1; n <= model.atomCount; ++n) {
        const std::vector<CellSite> own = cell_sites(model, n);
        sites.insert(sites.end(), own.begin(), own.end());
    }
    return sites;
}

std::vector<RangeAtom> atoms_in_range(const std::vector<CellSite>& sites, const CellRange& range)
{
    std::vector<RangeAtom> atoms;
    std::vector<int> offsets[3];
    const bool oneCell = range.to[0] - range.from[0] == 1 && range.to[1] - range.from[1] == 1 &&
                         range.to[2] - range.from[2] == 1;
    for (const CellSite& site : sites) {
        for (std::size_t i = 0; i < 3; ++i)
            offsets_in_range(site.fractional[i], range.from[i], range.to[i], offsets[i]);
        for (int na : offsets[0])
            for (int nb : offsets[1])
                for (int nc : offsets[2]) {
                    RangeAtom atom{site, 1};
                    atom.site.fractional = site.fractional + Vec3{double(na), double(nb), double(nc)};
                    if (oneCell)
                        atom.share = 1.0 / static_cast<double>(offsets[0].size() * offsets[1].size() * offsets[2].size());
                    atoms.push_back(atom);
                }
    }
    return atoms;
}

}  // namespace kalidos
