#include "geometry/bonds.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include <gemmi/elem.hpp>

#include "computation/atom_symbol_keys.hpp"

namespace kalidos {
namespace {

// The images of `site` within `cutoff` of `from`, over the cell translations that can reach it:
// a fractional component never exceeds |a*_k| times the length.
void add_images(const CellFrame& frame, const Vec3& from, const CellSite& site, double cutoff, int fromAtom,
                std::vector<Bond>& bonds)
{
    const Vec3 d = site.fractional - from;
    int low[3], high[3];
    for (std::size_t k = 0; k < 3; ++k) {
        const double reach = cutoff * norm(frame.reciprocal_axis(static_cast<int>(k)));
        low[k] = static_cast<int>(std::ceil(-d[k] - reach));
        high[k] = static_cast<int>(std::floor(-d[k] + reach));
    }
    for (int na = low[0]; na <= high[0]; ++na)
        for (int nb = low[1]; nb <= high[1]; ++nb)
            for (int nc = low[2]; nc <= high[2]; ++nc) {
                const Vec3 shift{double(na), double(nb), double(nc)};
                const double distance = norm(frame.cartesian(d + shift));
                if (distance >= kSamePlace && distance < cutoff)
                    bonds.push_back({fromAtom, site.atom, distance, site.fractional + shift});
            }
}

bool before(const Bond& a, const Bond& b)
{
    if (a.distance != b.distance)
        return a.distance < b.distance;
    if (a.to != b.to)
        return a.to < b.to;
    return a.toFractional < b.toFractional;
}

}  // namespace

double covalent_radius(const std::string& atomSymbol)
{
    return gemmi::Element(nucleus_key(atomSymbol)).covalent_r();
}

std::string atom_name(const StructureModel& model, int n)
{
    const std::string element = gemmi::Element(nucleus_key(model.atomSymbol[n])).name();
    const std::string& label = model.atomLabel[n];
    const bool blank = label.find_first_not_of(' ') == std::string::npos;
    return (element == "X" ? trimmed_upper(model.atomSymbol[n]) : element) + (blank ? std::to_string(n) : label);
}

std::vector<double> atom_radii(const StructureModel& model)
{
    std::vector<double> radii(static_cast<std::size_t>(model.atomCount) + 1, 0.0);
    for (int n = 1; n <= model.atomCount; ++n)
        radii[static_cast<std::size_t>(n)] = covalent_radius(model.atomSymbol[n]);
    return radii;
}

std::vector<Bond> neighbours_of(const CellFrame& frame, const std::vector<CellSite>& sites,
                                const std::vector<double>& radii, const Vec3& from, int fromAtom, double tolerance)
{
    std::vector<Bond> bonds;
    for (const CellSite& site : sites) {
        const double cutoff =
            radii[static_cast<std::size_t>(fromAtom)] + radii[static_cast<std::size_t>(site.atom)] + tolerance;
        add_images(frame, from, site, cutoff, fromAtom, bonds);
    }
    std::sort(bonds.begin(), bonds.end(), before);
    return bonds;
}

std::vector<Bond> asymmetric_unit_bonds(const StructureModel& model, double tolerance)
{
    std::vector<Bond> bonds;
    const CellFrame frame(model.cell);
    if (!frame.valid() || model.operatorCount <= 0)
        return bonds;
    const std::vector<CellSite> sites = all_cell_sites(model);
    const std::vector<double> radii = atom_radii(model);
    for (int n = 1; n <= model.atomCount; ++n) {
        const std::vector<Bond> own =
            neighbours_of(frame, sites, radii, Vec3{model.atomX[n], model.atomY[n], model.atomZ[n]}, n, tolerance);
        bonds.insert(bonds.end(), own.begin(), own.end());
    }
    return bonds;
}

std::vector<std::pair<int, int>> bonds_between(const std::vector<Vec3>& cartesian, const std::vector<double>& radii,
                                               double tolerance)
{
    std::vector<std::pair<int, int>> pairs;
    if (cartesian.empty())
        return pairs;
    const double box = std::max(2 * *std::max_element(radii.begin(), radii.end()) + tolerance, 0.5);
    // Box numbers packed 21 bits each: exact keys, so no box is visited twice.
    const auto key = [box](const Vec3& p, int da, int db, int dc) {
        const auto part = [box](double v, int d) {
            return static_cast<long long>(std::floor(v / box) + d + (1 << 20)) & 0x1fffff;
        };
        return (part(p[0], da) << 42) | (part(p[1], db) << 21) | part(p[2], dc);
    };
    std::unordered_map<long long, std::vector<int>> boxes;
    for (std::size_t i = 0; i < cartesian.size(); ++i)
        boxes[key(cartesian[i], 0, 0, 0)].push_back(static_cast<int>(i));
    for (std::size_t i = 0; i < cartesian.size(); ++i)
        for (int da = -1; da <= 1; ++da)
            for (int db = -1; db <= 1; ++db)
                for (int dc = -1; dc <= 1; ++dc) {
                    const auto found = boxes.find(key(cartesian[i], da, db, dc));
                    if (found == boxes.end())
                        continue;
                    for (int j : found->second) {
                        const auto uj = static_cast<std::size_t>(j);
                        if (uj <= i)
                            continue;
                        const double d = norm(cartesian[i] - cartesian[uj]);
                        if (d >= kSamePlace && d < radii[i] + radii[uj] + tolerance)
                            pairs.emplace_back(static_cast<int>(i), j);
                    }
                }
    return pairs;
}

}  // namespace kalidos
