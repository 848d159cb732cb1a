#include "computation/reflection_generation.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_set>
#include <vector>

#include "computation/cell_metric.hpp"
#include "computation/reflection_absence.hpp"
#include "computation/rotation_list.hpp"

namespace kalidos {
namespace {

constexpr double kHalfDegreesToRadians = 0.008726658370523442;  // 2θ in degrees to θ in radians
constexpr double kRadiansToTwoTheta = 114.591559;
constexpr double kIndexLimitCap = 5000;  // far beyond 9998 forms in any cell

struct Candidate {
    Miller hkl;
    double d = 0;
    bool listedRegion = false;  // inside the region the listings use for this system
};

enum class System { Cubic, Tetragonal, Orthorhombic, Hexagonal, Rhombohedral, Monoclinic, Triclinic, Unknown };

System system_of(const std::string& code)
{
    static const std::pair<const char*, System> codes[] = {
        {"CUBI", System::Cubic},        {"TETR", System::Tetragonal},   {"ORTH", System::Orthorhombic},
        {"HEXA", System::Hexagonal},    {"RHOM", System::Rhombohedral}, {"MONO", System::Monoclinic},
        {"TRIC", System::Triclinic}};
    for (const auto& [name, system] : codes)
        if (code == name)
            return system;
    return System::Unknown;
}

// The enumeration region of each crystal system, whose representatives the listings keep
// whenever it holds the form. It is not complete for every Laue class of its system, so the
// rest of the half-space l >= 0 follows it.
bool in_listed_region(System system, const Miller& m)
{
    switch (system) {
    case System::Cubic: return m.h >= 0 && m.k >= 0 && m.l >= m.k;
    case System::Tetragonal:
    case System::Orthorhombic: return m.h >= 0 && m.k >= 0 && m.l >= 0;
    case System::Hexagonal: return m.h >= 0 && m.k >= m.h && m.l >= 0;
    case System::Rhombohedral: return m.h >= 0 && m.k >= m.h;
    case System::Monoclinic: return m.k >= 0 && m.l >= 0;
    case System::Triclinic: return m.l >= 0;
    case System::Unknown: break;
    }
    return false;
}

// The l of (h k l) inside the sphere q <= sMax² (one more on each side against rounding): q is a
// quadratic in l, |v0 + l·c3|² with v0 = cellMatrix·(h, k, 0) and c3 its third column.
struct LWindow {
    const double (&m)[3][3];
    double sMax2;
    std::pair<int, int> operator()(int h, int k) const
    {
        const double v0[3] = {m[0][0] * h + m[0][1] * k, m[1][1] * k, 0};
        const double c3[3] = {m[0][2], m[1][2], m[2][2]};
        const double a = c3[0] * c3[0] + c3[1] * c3[1] + c3[2] * c3[2];
        const double b = v0[0] * c3[0] + v0[1] * c3[1];
        const double c = v0[0] * v0[0] + v0[1] * v0[1] - sMax2;
        const double disc = b * b - a * c;
        if (!(disc >= 0) || !(a > 0))
            return {1, 0};
        const double root = std::sqrt(disc);
        return {static_cast<int>(std::floor((-b - root) / a)) - 1, static_cast<int>(std::ceil((-b + root) / a)) + 1};
    }
};

template <class Visit>
void visit_listed_region(System system, const IndexLimits& n, const LWindow& window, Visit visit)
{
    const bool monoclinic = system == System::Monoclinic, triclinic = system == System::Triclinic;
    const int hCount = triclinic || monoclinic ? 2 * n.h + 1 : n.h + 1;
    for (int i = 0; i < hCount; ++i) {
        const int h = monoclinic ? n.h - i : (triclinic ? i - n.h : i);  // monoclinic: H down to -H
        const int kFirst = system == System::Hexagonal || system == System::Rhombohedral ? h : (triclinic ? -n.k : 0);
        for (int k = kFirst; k <= n.k; ++k) {
            const auto [lo, hi] = window(h, k);
            const int lFirst = system == System::Cubic ? k : (system == System::Rhombohedral ? -n.l : 0);
            for (int l = std::max(lFirst, lo); l <= std::min(n.l, hi); ++l)
                visit(Miller{h, k, l});
        }
    }
}

// The reflections the kept forms have claimed, over the index box (dense when it is small).
class ClaimedSet {
public:
    explicit ClaimedSet(const IndexLimits& n) : n_(n)
    {
        const long long size = static_cast<long long>(2 * n.h + 1) * (2 * n.k + 1) * (2 * n.l + 1);
        if (size <= (1LL << 25))
            dense_.assign(static_cast<std::size_t>(size), 0);
    }
    void claim(const Miller& m)
    {
        if (std::abs(m.h) > n_.h || std::abs(m.k) > n_.k || std::abs(m.l) > n_.l)
            return;  // outside the box: never a candidate
        if (dense_.empty())
            sparse_.insert(key(m));
        else
            dense_[static_cast<std::size_t>(key(m))] = 1;
    }
    bool claimed(const Miller& m) const
    {
        return dense_.empty() ? sparse_.count(key(m)) != 0 : dense_[static_cast<std::size_t>(key(m))] != 0;
    }

private:
    long long key(const Miller& m) const
    {
        return (static_cast<long long>(m.h + n_.h) * (2 * n_.k + 1) + (m.k + n_.k)) * (2 * n_.l + 1) + (m.l + n_.l);
    }
    IndexLimits n_;
    std::vector<unsigned char> dense_;
    std::unordered_set<long long> sparse_;
};

struct Range {
    double sMin2 = 0, sMax2 = 0;
};

// Candidates present by the lattice test and inside the range: the listed region first, then
// the rest of the half-space l >= 0. False when there are too many to be fewer than 9999 forms.
bool enumerate_candidates(const StructureModel& model, const IndexLimits& n, const Range& range,
                          std::size_t maxCandidates, std::vector<Candidate>& out)
{
    const System system = system_of(model.crystalSystem);
    if (system == System::Unknown)
        return true;  // an undefined system enumerates nothing
    const char condition = lattice_condition(model);
    const LWindow window{model.cellMatrix, range.sMax2};
    bool overflow = false;
    const auto consider = [&](const Miller& m, bool listed) {
        if (overflow || absent_by_lattice(condition, m.h, m.k, m.l))
            return;
        const double q = reciprocal_length_squared(model, m.h, m.k, m.l);
        if (q < range.sMin2 || q > range.sMax2)
            return;
        if (out.size() == maxCandidates)
            overflow = true;
        else
            out.push_back({m, 1 / std::sqrt(q), listed});
    };
    visit_listed_region(system, n, window, [&](const Miller& m) { consider(m, true); });
    for (int h = -n.h; h <= n.h; ++h)
        for (int k = -n.k; k <= n.k; ++k) {
            const auto [lo, hi] = window(h, k);
            for (int l = std::max(0, lo); l <= std::min(n.l, hi); ++l)
                if (!in_listed_region(system, Miller{h, k, l}))
                    consider(Miller{h, k, l}, false);
        }
    return !overflow;
}

// Indices (into the candidates sorted by descending d) of the first member of each form: a member
// of the listed region when the form has one there, else the first of the rest.
std::vector<int> form_representatives(const std::vector<Candidate>& sorted,
                                      const std::vector<IntegerRotation>& rotations, const IndexLimits& n)
{
    ClaimedSet claimed(n);
    std::vector<int> kept;
    for (const bool listedPass : {true, false}) {
        for (int i = 0; i < static_cast<int>(sorted.size()); ++i) {
            const Candidate& c = sorted[static_cast<std::size_t>(i)];
            if (c.listedRegion != listedPass || claimed.claimed(c.hkl))
                continue;
            kept.push_back(i);
            for (const IntegerRotation& r : rotations)
                claimed.claim(image_of(c.hkl, r));
        }
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

// Drops the forms a general-position atom gives no intensity (the test is the same for every
// member of a form, so one member is tried).
std::vector<int> present_forms(const StructureModel& model, const std::vector<Candidate>& sorted,
                               const std::vector<int>& forms)
{
    std::vector<int> present;
    for (const int index : forms) {
        const Miller& m = sorted[static_cast<std::size_t>(index)].hkl;
        if (!general_absence_test(model, m.h, m.k, m.l))
            present.push_back(index);
    }
    return present;
}

void fail_too_many(CountedTable<Reflection>& list, Messages& messages)
{
    list.count = 0;
    messages.warning(kTooManyReflections);
}

}  // namespace

IndexLimits index_limits(const CellParameters& cell, double sMax)
{
    const auto limit = [sMax](double length) {
        const double n = std::floor(sMax * std::fabs(length) + 1e-9);
        return n >= 0 && n < kIndexLimitCap ? static_cast<int>(n) : -1;
    };
    return {limit(cell.a), limit(cell.b), limit(cell.c)};
}

bool generate_reflections(StructureModel& model, CountedTable<Reflection>& list, Messages& messages)
{
    list.count = 0;
    const std::vector<IntegerRotation> rotations = build_rotation_list(model);
    // Hexagonal axes list "P"; an R group there is told by its symbol (lattice_absence_test).
    model.latticeLetter = model.crystalSystem == "HEXA" ? std::string(1, 'P') : model.spaceGroupSymbol.substr(0, 1);
    compute_cell_metric(model);

    const double lambda = model.wavelengths.current;
    const double sMax = 2 * std::sin(model.enteredTwoTheta2 * kHalfDegreesToRadians) / lambda;
    const double sMin = 2 * std::sin(model.enteredTwoTheta1 * kHalfDegreesToRadians) / lambda;
    if (!(lambda > 0) || !std::isfinite(sMax) || !std::isfinite(model.cell.volume))
        return false;  // nothing can be in range
    const IndexLimits limits = index_limits(model.cell, sMax);
    if (limits.h < 0 || limits.k < 0 || limits.l < 0) {
        fail_too_many(list, messages);
        return false;
    }

    // A form has at most `rotations` members, so more candidates than twice 9998 forms' worth
    // cannot end below the limit (absences remove zones, never half of a large range).
    const std::size_t maxCandidates = 2 * static_cast<std::size_t>(kMaxReflections) * rotations.size();
    const double boxSize = (2.0 * limits.h + 1) * (2.0 * limits.k + 1) * (limits.l + 1.0);
    std::vector<Candidate> candidates;
    candidates.reserve(std::min<std::size_t>(maxCandidates, 1 << 16));
    if (boxSize > 4e8 || !enumerate_candidates(model, limits, {sMin * sMin, sMax * sMax}, maxCandidates, candidates)) {
        fail_too_many(list, messages);
        return false;
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.d > b.d; });
    const std::vector<int> forms =
        present_forms(model, candidates, form_representatives(candidates, rotations, limits));
    if (forms.empty())
        return false;
    if (static_cast<int>(forms.size()) > kMaxReflections) {
        fail_too_many(list, messages);
        return false;
    }
    for (const int index : forms) {
        const Candidate& c = candidates[static_cast<std::size_t>(index)];
        Reflection& r = list[++list.count];
        r.h = c.hkl.h;
        r.k = c.hkl.k;
        r.l = c.hkl.l;
        r.multiplicity = form_multiplicity(rotations, c.hkl);
        r.d = c.d;
        r.twoTheta = std::asin(std::min(1.0, lambda / (2 * c.d))) * kRadiansToTwoTheta;
        r.lambda = lambda;
        r.intensity = 1.0;
    }
    return true;
}

}  // namespace kalidos
