#include "geometry/bonds.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>
#include <unordered_map>

#include <gemmi/elem.hpp>

#include "computation/atom_symbol_keys.hpp"
#include "model/atom_names.hpp"

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

std::pair<int, int> ordered(int z1, int z2)
{
    return {std::min(z1, z2), std::max(z1, z2)};
}

bool listed(const std::vector<std::pair<int, int>>& pairs, int z1, int z2)
{
    return std::find(pairs.begin(), pairs.end(), ordered(z1, z2)) != pairs.end();
}

// The atomic number of an element name as typed ("cu", "Cu", "CU"); 0 when it names none.
int element_named(std::string name)
{
    for (std::size_t i = 0; i < name.size(); ++i)
        name[i] = static_cast<char>(i == 0 ? std::toupper(static_cast<unsigned char>(name[i]))
                                           : std::tolower(static_cast<unsigned char>(name[i])));
    const gemmi::Element element(name);
    return element == gemmi::El::X ? 0 : element.atomic_number();
}

std::string element_name(int z)
{
    return gemmi::Element(z).name();
}

// Pauling's electronegativities of the elements that are no metals (Allred, J. Inorg. Nucl. Chem.
// 17, 215, 1961); 0 for the others.
double electronegativity(int z)
{
    static const std::map<int, double> values = {
        {1, 2.20},  {5, 2.04},  {6, 2.55},  {7, 3.04},  {8, 3.44},  {9, 3.98},  {14, 1.90}, {15, 2.19},
        {16, 2.58}, {17, 3.16}, {32, 2.01}, {33, 2.18}, {34, 2.55}, {35, 2.96}, {51, 2.05}, {52, 2.10},
        {53, 2.66}, {54, 2.60}, {85, 2.20}};
    const auto found = values.find(z);
    return found == values.end() ? 0 : found->second;
}

// A pair as chemists write it: the cation or the less electronegative element first, hydrogen
// last ("Al-O", "Si-O", "C-O", "C-H"); two metals by atomic number.
std::pair<int, int> written_order(const std::pair<int, int>& pair)
{
    const auto [a, b] = pair;
    const auto first = [](int z, int other) {
        if (is_metal(z) != is_metal(other))
            return is_metal(z);
        if (z == 1 || other == 1)
            return other == 1 && z != 1;
        if (is_metal(z))
            return z <= other;
        return electronegativity(z) < electronegativity(other) ||
               (electronegativity(z) == electronegativity(other) && z <= other);
    };
    return first(a, b) ? pair : std::pair<int, int>{b, a};
}

std::string pair_text(const std::pair<int, int>& pair, const std::string& between)
{
    const auto [a, b] = written_order(pair);
    return element_name(a) + between + element_name(b);
}

}  // namespace

bool BondRule::bonds(int z1, int z2) const
{
    if (listed(removed, z1, z2))
        return false;
    if (pairs == BondPairs::All || listed(added, z1, z2))
        return true;
    return !(is_metal(z1) && is_metal(z2));
}

BondRule all_pairs_rule(double tolerance)
{
    BondRule rule;
    rule.tolerance = tolerance;
    rule.pairs = BondPairs::All;
    return rule;
}

bool is_metal(int z)
{
    // H, He, B, C, N, O, F, Ne, Si, P, S, Cl, Ar, Ge, As, Se, Br, Kr, Sb, Te, I, Xe, At, Rn, Og
    static constexpr int kOthers[] = {1,  2,  5,  6,  7,  8,  9,  10, 14, 15, 16, 17, 18,
                                      32, 33, 34, 35, 36, 51, 52, 53, 54, 85, 86, 118};
    return z > 0 && std::find(std::begin(kOthers), std::end(kOthers), z) == std::end(kOthers);
}

std::string parse_bond_pairs(const std::string& text, BondRule& rule)
{
    BondRule parsed = rule;
    parsed.pairs = BondPairs::Expected;
    parsed.added.clear();
    parsed.removed.clear();
    std::string spaced = text;
    std::replace(spaced.begin(), spaced.end(), ',', ' ');
    std::istringstream tokens(spaced);
    for (std::string token; tokens >> token;) {
        if (token == "expected" || token == "all") {
            parsed.pairs = token == "all" ? BondPairs::All : BondPairs::Expected;
            continue;
        }
        const bool remove = token.front() == '-';
        const std::string pair = token.substr(token.front() == '-' || token.front() == '+' ? 1 : 0);
        const std::size_t dash = pair.find('-');
        const int z1 = dash == std::string::npos ? 0 : element_named(pair.substr(0, dash));
        const int z2 = dash == std::string::npos ? 0 : element_named(pair.substr(dash + 1));
        if (z1 == 0 || z2 == 0)
            return "\"" + token + "\" is no element pair: write Cu-Cu to bond a pair, -O-H to leave one out, "
                   "expected or all for the rule";
        auto& list = remove ? parsed.removed : parsed.added;
        auto& other = remove ? parsed.added : parsed.removed;
        std::erase(other, ordered(z1, z2));
        if (!listed(list, z1, z2))
            list.push_back(ordered(z1, z2));
    }
    rule = std::move(parsed);
    return {};
}

std::string bond_pairs_text(const BondRule& rule)
{
    std::string text = rule.pairs == BondPairs::All ? "all" : "expected";
    for (const auto& pair : rule.added)
        text += ", +" + pair_text(pair, "-");
    for (const auto& pair : rule.removed)
        text += ", -" + pair_text(pair, "-");
    return text;
}

double covalent_radius(const std::string& atomSymbol)
{
    return gemmi::Element(nucleus_key(atomSymbol)).covalent_r();
}

int atomic_number(const std::string& atomSymbol)
{
    return gemmi::Element(nucleus_key(atomSymbol)).atomic_number();
}

std::vector<std::string> bond_atom_names(const StructureModel& model)
{
    std::vector<std::string> bases;
    for (int n = 1; n <= model.atomCount; ++n) {
        const std::string element = gemmi::Element(nucleus_key(model.atomSymbol[n])).name();
        const std::string& label = model.atomLabel[n];
        const bool blank = label.find_first_not_of(' ') == std::string::npos;
        bases.push_back((element == "X" ? trimmed_upper(model.atomSymbol[n]) : element) +
                        (blank ? std::to_string(n) : label));
    }
    return unique_atom_names(bases, model, "#");
}

AtomReach atom_reach(const StructureModel& model)
{
    AtomReach reach;
    reach.radii.assign(static_cast<std::size_t>(model.atomCount) + 1, 0.0);
    reach.numbers.assign(static_cast<std::size_t>(model.atomCount) + 1, 0);
    for (int n = 1; n <= model.atomCount; ++n) {
        reach.radii[static_cast<std::size_t>(n)] = covalent_radius(model.atomSymbol[n]);
        reach.numbers[static_cast<std::size_t>(n)] = atomic_number(model.atomSymbol[n]);
    }
    return reach;
}

std::vector<Bond> neighbours_of(const CellFrame& frame, const std::vector<CellSite>& sites, const AtomReach& atoms,
                                const Vec3& from, int fromAtom, const BondRule& rule)
{
    std::vector<Bond> bonds;
    const auto own = static_cast<std::size_t>(fromAtom);
    for (const CellSite& site : sites) {
        const auto other = static_cast<std::size_t>(site.atom);
        if (!rule.bonds(atoms.numbers[own], atoms.numbers[other]))
            continue;
        add_images(frame, from, site, atoms.radii[own] + atoms.radii[other] + rule.tolerance, fromAtom, bonds);
    }
    std::sort(bonds.begin(), bonds.end(), before);
    return bonds;
}

std::vector<Bond> asymmetric_unit_bonds(const StructureModel& model, const BondRule& rule)
{
    std::vector<Bond> bonds;
    const CellFrame frame(model.cell);
    if (!frame.valid() || model.operatorCount <= 0)
        return bonds;
    const std::vector<CellSite> sites = all_cell_sites(model);
    const AtomReach atoms = atom_reach(model);
    for (int n = 1; n <= model.atomCount; ++n) {
        const std::vector<Bond> own =
            neighbours_of(frame, sites, atoms, Vec3{model.atomX[n], model.atomY[n], model.atomZ[n]}, n, rule);
        bonds.insert(bonds.end(), own.begin(), own.end());
    }
    return bonds;
}

std::vector<BondPairSummary> bond_pair_summary(const StructureModel& model, const BondRule& rule)
{
    const AtomReach atoms = atom_reach(model);
    std::map<std::pair<int, int>, double> shortest;
    for (const Bond& bond : asymmetric_unit_bonds(model, all_pairs_rule(rule.tolerance))) {
        const auto key = ordered(atoms.numbers[static_cast<std::size_t>(bond.from)],
                                 atoms.numbers[static_cast<std::size_t>(bond.to)]);
        const auto found = shortest.find(key);
        if (found == shortest.end() || bond.distance < found->second)
            shortest[key] = bond.distance;
    }
    std::vector<BondPairSummary> pairs;
    for (const auto& [key, distance] : shortest) {
        const auto [first, second] = written_order(key);
        pairs.push_back({element_name(first), element_name(second), distance, rule.bonds(key.first, key.second)});
    }
    std::sort(pairs.begin(), pairs.end(),
              [](const BondPairSummary& a, const BondPairSummary& b) { return a.shortest < b.shortest; });
    return pairs;
}

std::vector<std::pair<int, int>> bonds_between(const std::vector<Vec3>& cartesian, const std::vector<double>& radii,
                                               const std::vector<int>& numbers, const BondRule& rule)
{
    std::vector<std::pair<int, int>> pairs;
    if (cartesian.empty())
        return pairs;
    const double tolerance = rule.tolerance;
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
                        if (d >= kSamePlace && d < radii[i] + radii[uj] + tolerance && rule.bonds(numbers[i], numbers[uj]))
                            pairs.emplace_back(static_cast<int>(i), j);
                    }
                }
    return pairs;
}

}  // namespace kalidos
