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
    bool listedRegion = false;  // inside the region the listings have always used for this system
};

// The enumeration region of each crystal system, whose representatives the listings keep
// whenever it holds the form. It is not complete for every Laue class of its system, so the
// rest of the half-space l >= 0 follows it.
bool in_listed_region(const std::string& system, const Miller& m)
{
    if (system == "CUBI")
        return m.h >= 0 && m.k >= 0 && m.l >= m.k;
    if (system == "TETR" || system == "ORTH")
        return m.h >= 0 && m.k >= 0 && m.l >= 0;
    if (system == "HEXA")
        return m.h >= 0 && m.k >= m.h && m.l >= 0;
    if (system == "RHOM")
        return m.h >= 0 && m.k >= m.h;
    if (system == "MONO")
        return m.k >= 0 && m.l >= 0;
    return system == "TRIC" && m.l >= 0;
}

bool known_system(const std::string& system)
{
    return system == "CUBI" || system == "TETR" || system == "ORTH" || system == "HEXA" || system == "RHOM" ||
           system == "MONO" || system == "TRIC";
}

template <class Visit>
void visit_listed_region(const std::string& system, const IndexLimits& n, Visit visit)
{
    if (system == "MONO") {
        for (int h = n.h; h >= -n.h; --h)
            for (int k = 0; k <= n.k; ++k)
                for (int l = 0; l <= n.l; ++l)
                    visit(Miller{h, k, l});
        return;
    }
    const int hFirst = system == "TRIC" ? -n.h : 0;
    const int kLow = system == "TRIC" ? -n.k : 0;
    const int lLow = system == "RHOM" ? -n.l : 0;
    for (int h = hFirst; h <= n.h; ++h)
        for (int k = (system == "HEXA" || system == "RHOM") ? h : kLow; k <= n.k; ++k)
            for (int l = system == "CUBI" ? k : lLow; l <= n.l; ++l)
                visit(Miller{h, k, l});
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
    const std::string& system = model.crystalSystem;
    bool overflow = false;
    const auto consider = [&](const Miller& m, bool listed) {
        if (overflow || lattice_absence_test(model, m.h, m.k, m.l))
            return;
        const double q = reciprocal_length_squared(model, m.h, m.k, m.l);
        if (q < range.sMin2 || q > range.sMax2)
            return;
        if (out.size() == maxCandidates)
            overflow = true;
        else
            out.push_back({m, 1 / std::sqrt(q), listed});
    };
    if (!known_system(system))
        return true;  // an undefined system enumerates nothing
    visit_listed_region(system, n, [&](const Miller& m) { consider(m, true); });
    for (int h = -n.h; h <= n.h; ++h)
        for (int k = -n.k; k <= n.k; ++k)
            for (int l = 0; l <= n.l; ++l)
                if (!in_listed_region(system, Miller{h, k, l}))
                    consider(Miller{h, k, l}, false);
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
