#include "indexing/dichotomy_search.hpp"

#include <Eigen/QR>  // for the rank of a leaf's equations

#include <algorithm>
#include <cmath>
#include <limits>

namespace kalidos {
namespace {

constexpr std::size_t kMaxDepth = 240;
constexpr std::size_t kStopPolling = 2048;  // boxes between two questions to `stop`
// Lines with at most this many reflections left narrow the box by their constraints.
constexpr std::size_t kFewCandidates = 8;
constexpr int kContractionRounds = 4;
// Lines with more reflections than this are filtered only every few halvings: they seldom prune.
constexpr std::size_t kLongList = 256;
constexpr std::size_t kFilterEveryLevels = 4;
// A box is a leaf once no reflection's interval, widened by the zero's, spans more than this many
// tolerances: the refinement from its centre, which indexes the lines again, takes it from there.
constexpr double kLeafWidth = 4;

enum Term { A = 0, B = 1, C = 2, D = 3, E = 4, F = 5 };

bool clip(double& lo, double& hi, double low, double high)
{
    lo = std::max(lo, low);
    hi = std::min(hi, high);
    return lo <= hi;
}

}  // namespace

DichotomySearch::DichotomySearch(LatticeSystem system, const IndexingLines& lines, const DichotomySettings& settings)
    : system_(system), terms_(parameter_count(system)), settings_(settings), wavelength_(lines.wavelength)
{
    const std::size_t n = std::min(settings.lineCount, lines.twoTheta.size());
    qLow_.assign(n, 0);
    qHigh_.assign(n, 0);
    twoTheta_.assign(lines.twoTheta.begin(), lines.twoTheta.begin() + static_cast<long>(n));
    for (const double t : twoTheta_)
        slope_.push_back(q_slope(t, wavelength_));
    if (!lines.measuredInTwoTheta)
        settings_.zeroRange = 0;
    if (n == 0)
        return;
    const double qTop = q_of_two_theta(twoTheta_.back() + settings_.zeroRange + settings_.tolerance, wavelength_);
    const double smallest = 1 / (settings_.longestAxis * settings_.longestAxis);
    make_classes(qTop, smallest);

    Box root;
    root.zeroLo = -settings_.zeroRange;
    root.zeroHi = settings_.zeroRange;
    for (std::size_t j = 0; j < static_cast<std::size_t>(terms_); ++j) {
        root.lo[j] = smallest;
        root.hi[j] = std::min(qTop, largest_term(j));
    }
    if (system_ == LatticeSystem::Monoclinic) {
        root.lo[3] = 0;  // E ≥ 0: β ≥ 90°
    } else if (system_ == LatticeSystem::Triclinic) {
        for (const int type : {1, -1}) {  // all three angle terms positive, or none
            Box box = root;
            for (std::size_t j = 3; j < 6; ++j) {
                box.lo[j] = type > 0 ? 0 : -qTop;
                box.hi[j] = type > 0 ? qTop : 0;
            }
            roots_.push_back(box);
        }
        return;
    }
    roots_.push_back(root);
}

double DichotomySearch::largest_term(std::size_t j) const
{
    // The reciprocal term of an edge of the shortest length: 1/a² for a right-angled one, a third
    // more where the reduced setting lets the edge lean by up to 30°, twice for a reduced triclinic cell.
    const double square = settings_.shortestAxis * settings_.shortestAxis;
    switch (system_) {
    case LatticeSystem::Hexagonal: return j == 0 ? 4 / (3 * square) : 1 / square;
    case LatticeSystem::Monoclinic: return j == B ? 1 / square : 4 / (3 * square);
    case LatticeSystem::Triclinic: return j < 3 ? 2 / square : std::numeric_limits<double>::infinity();
    default: return 1 / square;
    }
}

void DichotomySearch::make_classes(double qTop, double smallest)
{
    const bool reducedNet = system_ == LatticeSystem::Monoclinic || system_ == LatticeSystem::Triclinic;
    const int most = static_cast<int>(std::floor(std::sqrt((reducedNet ? 2 : 1) * qTop / smallest)));
    for (const IndexClass& c : index_classes(system_, most, most, most)) {
        std::array<double, kMaxParameters> f{};
        double lowest = 0;
        for (std::size_t j = 0; j < static_cast<std::size_t>(terms_); ++j) {
            f[j] = c.f[j];
            if (j < 3)
                lowest += smallest * c.f[j];
        }
        if (reducedNet && lowest / 2 > qTop)
            continue;
        classes_.push_back(c);
        f_.push_back(f);
    }
}

bool DichotomySearch::tighten(Box& b) const
{
    switch (system_) {
    case LatticeSystem::Orthorhombic:  // A ≥ B ≥ C
        return clip(b.lo[B], b.hi[B], b.lo[C], b.hi[A]) && clip(b.lo[A], b.hi[A], b.lo[B], b.hi[A]) &&
               clip(b.lo[C], b.hi[C], b.lo[C], b.hi[B]);
    case LatticeSystem::Monoclinic:  // 0 ≤ E ≤ A ≤ C
        return clip(b.lo[A], b.hi[A], std::max(b.lo[A], b.lo[E]), b.hi[C]) &&
               clip(b.lo[C], b.hi[C], b.lo[A], b.hi[C]) && clip(b.lo[E], b.hi[E], b.lo[E], b.hi[A]);
    case LatticeSystem::Triclinic: {  // A ≤ B ≤ C, |D| ≤ B, |E| ≤ A, |F| ≤ A
        if (!clip(b.lo[A], b.hi[A], b.lo[A], std::min(b.hi[B], b.hi[C])) || !clip(b.lo[B], b.hi[B], b.lo[A], b.hi[C]) ||
            !clip(b.lo[C], b.hi[C], b.lo[B], b.hi[C]))
            return false;
        if (!clip(b.lo[D], b.hi[D], -b.hi[B], b.hi[B]) || !clip(b.lo[E], b.hi[E], -b.hi[A], b.hi[A]) ||
            !clip(b.lo[F], b.hi[F], -b.hi[A], b.hi[A]))
            return false;
        // Type II: |D| + |E| + |F| ≤ A + B.
        return !(b.hi[D] <= 0 && -(b.hi[D] + b.hi[E] + b.hi[F]) > b.hi[A] + b.hi[B]);
    }
    default: return true;
    }
}

bool DichotomySearch::volume_allows(const Box& b) const
{
    // The determinant of the reciprocal metric is 1/V²: its largest value over the box belongs to the
    // smallest cell, its smallest to the largest.
    double largest = 0, smallest = 0;
    switch (system_) {
    case LatticeSystem::Cubic:
        largest = b.hi[A] * b.hi[A] * b.hi[A];
        smallest = b.lo[A] * b.lo[A] * b.lo[A];
        break;
    case LatticeSystem::Tetragonal:
    case LatticeSystem::Hexagonal: {
        const double shape = system_ == LatticeSystem::Hexagonal ? 0.75 : 1.0;
        largest = shape * b.hi[A] * b.hi[A] * b.hi[1];
        smallest = shape * b.lo[A] * b.lo[A] * b.lo[1];
        break;
    }
    case LatticeSystem::Orthorhombic:
        largest = b.hi[A] * b.hi[B] * b.hi[C];
        smallest = b.lo[A] * b.lo[B] * b.lo[C];
        break;
    case LatticeSystem::Monoclinic:
        largest = b.hi[B] * (b.hi[A] * b.hi[C] - b.lo[E] * b.lo[E] / 4);
        smallest = b.lo[B] * (b.lo[A] * b.lo[C] - b.hi[E] * b.hi[E] / 4);
        break;
    case LatticeSystem::Triclinic: {
        largest = b.hi[A] * b.hi[B] * b.hi[C];  // Hadamard's bound
        // det = ABC (1 − x² − y² − z² + 2xyz) with the cosines x, y, z of the reciprocal angles.
        const auto most = [](double lo, double hi) { return std::max(std::fabs(lo), std::fabs(hi)); };
        const double x = most(b.lo[D], b.hi[D]) / (2 * std::sqrt(b.lo[B] * b.lo[C]));
        const double y = most(b.lo[E], b.hi[E]) / (2 * std::sqrt(b.lo[A] * b.lo[C]));
        const double z = most(b.lo[F], b.hi[F]) / (2 * std::sqrt(b.lo[A] * b.lo[B]));
        smallest = b.lo[A] * b.lo[B] * b.lo[C] * (1 - x * x - y * y - z * z - 2 * x * y * z);
        break;
    }
    }
    const double vMax = settings_.maxVolume, vMin = settings_.minVolume;
    return !(vMax > 0 && largest * vMax * vMax < 1) && !(vMin > 0 && smallest * vMin * vMin > 1);
}

bool DichotomySearch::filter_line(const Box& b, std::size_t i, const Level& parent, Level& child, double& widest) const
{
    const double qLow = qLow_[i], qHigh = qHigh_[i];
    const std::size_t before = child.candidates.size();
    widest = 0;
    for (const int* candidate = parent.first[i]; candidate != parent.last[i]; ++candidate) {
        const int c = *candidate;
        const std::array<double, kMaxParameters>& f = f_[static_cast<std::size_t>(c)];
        double qMin = 0, qMax = 0;
        for (std::size_t j = 0; j < static_cast<std::size_t>(terms_); ++j) {
            const double low = b.lo[j] * f[j], high = b.hi[j] * f[j];
            qMin += std::min(low, high);
            qMax += std::max(low, high);
        }
        if (system_ == LatticeSystem::Monoclinic)
            qMin = std::max(qMin, b.lo[B] * f[B] + (b.lo[A] * f[A] + b.lo[C] * f[C]) / 2);
        else if (system_ == LatticeSystem::Triclinic)
            qMin = std::max(qMin, std::max({b.lo[A] * f[A], b.lo[B] * f[B], b.lo[C] * f[C]}) / 2);
        if (qMin <= qHigh && qMax >= qLow) {
            child.candidates.push_back(c);
            widest = std::max(widest, qMax - qMin);
        }
    }
    return child.candidates.size() > before;
}

bool DichotomySearch::determined(const Level& level) const
{
    const bool zero = settings_.zeroRange > 0;
    const long columns = terms_ + (zero ? 1 : 0);
    Eigen::MatrixXd m(static_cast<long>(twoTheta_.size()), columns);
    long rows = 0;
    for (std::size_t i = 0; i < twoTheta_.size(); ++i) {
        if (level.missing[i])
            continue;
        if (level.count(i) != 1)
            return false;
        const std::array<double, kMaxParameters>& f = f_[static_cast<std::size_t>(*level.first[i])];
        for (long j = 0; j < terms_; ++j)
            m(rows, j) = f[static_cast<std::size_t>(j)];
        if (zero)
            m(rows, terms_) = slope_[i] / slope_.back();
        ++rows;
    }
    if (rows < columns)
        return false;
    Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(m.topRows(rows));
    qr.setThreshold(1e-9);
    return qr.rank() == columns;
}

void DichotomySearch::report_leaf(const Box& b, const Level& level)
{
    DichotomyLeaf leaf;
    for (std::size_t j = 0; j < static_cast<std::size_t>(terms_); ++j)
        leaf.parameters[j] = (b.lo[j] + b.hi[j]) / 2;
    leaf.zero = (b.zeroLo + b.zeroHi) / 2;
    const FormTerms terms = terms_of(system_, leaf.parameters);
    for (std::size_t i = 0; i < twoTheta_.size(); ++i) {
        int best = -1;
        double nearest = 0;
        const double q = q_of_two_theta(twoTheta_[i] - leaf.zero, wavelength_);
        for (const int* candidate = level.first[i]; !level.missing[i] && candidate != level.last[i]; ++candidate) {
            const int c = *candidate;
            const Hkl& r = classes_[static_cast<std::size_t>(c)].hkl;
            const double distance = std::fabs(q_of(terms, r.h, r.k, r.l) - q);
            if (best < 0 || distance < nearest)
                best = c, nearest = distance;
        }
        leaf.classOfLine.push_back(best);
    }
    (*leaf_)(leaf);
}

int DichotomySearch::split_dimension(const Box& b, const Level& level) const
{
    std::array<double, kMaxParameters> reach{};
    double zeroReach = 0;
    // The lines with long lists stand for little: they only count when every line's list is long.
    bool anyShort = false;
    for (std::size_t i = 0; i < twoTheta_.size(); ++i)
        anyShort = anyShort || (!level.missing[i] && level.count(i) <= kLongList);
    for (std::size_t i = 0; i < twoTheta_.size(); ++i) {
        if (level.missing[i] || (anyShort && level.count(i) > kLongList))
            continue;
        zeroReach = std::max(zeroReach, slope_[i] * (b.zeroHi - b.zeroLo));
        for (const int* candidate = level.first[i]; candidate != level.last[i]; ++candidate) {
            const std::array<double, kMaxParameters>& f = f_[static_cast<std::size_t>(*candidate)];
            for (std::size_t j = 0; j < static_cast<std::size_t>(terms_); ++j)
                reach[j] = std::max(reach[j], std::fabs(f[j]) * (b.hi[j] - b.lo[j]));
        }
    }
    int chosen = -1;  // -1: the zero error
    double widest = zeroReach;
    for (int j = 0; j < terms_; ++j)
        if (reach[static_cast<std::size_t>(j)] > widest)
            widest = reach[static_cast<std::size_t>(j)], chosen = j;
    return chosen;
}

DichotomySearch::Verdict DichotomySearch::filter_lines(const Box& box, const Level& parent, Level& child,
                                                       bool every) const
{
    const std::size_t n = twoTheta_.size();
    child.candidates.clear();
    child.first.assign(n, nullptr);
    child.last.assign(n, nullptr);
    child.owned.assign(n, 0);
    child.missing.assign(n, 0);
    std::vector<std::size_t>& offsets = offsets_;
    offsets.assign(n + 1, 0);
    // Where each line may lie in Q over the box's zero errors, the tolerance included.
    for (std::size_t i = 0; i < n; ++i) {
        qLow_[i] = q_of_two_theta(twoTheta_[i] - box.zeroHi - settings_.tolerance, wavelength_);
        qHigh_[i] = q_of_two_theta(twoTheta_[i] - box.zeroLo + settings_.tolerance, wavelength_);
    }
    Verdict v;
    for (std::size_t i = 0; i < n; ++i) {
        offsets[i] = child.candidates.size();
        if (parent.missing[i]) {
            child.missing[i] = 1;
            v.alive = ++v.missing <= settings_.allowedMissing;
            if (!v.alive)
                return v;
            continue;
        }
        // A long list that outlives this level is left as it is.
        if (!every && !parent.owned[i] && parent.count(i) > kLongList) {
            child.first[i] = parent.first[i];
            child.last[i] = parent.last[i];
            v.unique = v.precise = false;
            continue;
        }
        double widest = 0;
        child.owned[i] = 1;
        if (!filter_line(box, i, parent, child, widest)) {
            child.missing[i] = 1;
            child.owned[i] = 0;
            v.alive = ++v.missing <= settings_.allowedMissing;
            if (!v.alive)
                return v;
            continue;
        }
        v.unique = v.unique && child.candidates.size() - offsets[i] == 1;
        v.precise = v.precise && widest + slope_[i] * (box.zeroHi - box.zeroLo) <= kLeafWidth * slope_[i] * settings_.tolerance;
    }
    offsets[n] = child.candidates.size();
    point_to_lists(child, offsets);
    return v;
}

void DichotomySearch::point_to_lists(Level& level, const std::vector<std::size_t>& offsets) const
{
    for (std::size_t i = 0; i + 1 < offsets.size(); ++i)
        if (level.owned[i]) {
            level.first[i] = level.candidates.data() + offsets[i];
            level.last[i] = level.candidates.data() + offsets[i + 1];
        }
}

bool DichotomySearch::line_hull(const Box& b, std::size_t i, const Level& level, Box& hull) const
{
    const double t = twoTheta_[i], tol = settings_.tolerance;
    const double qLow = qLow_[i], qHigh = qHigh_[i];
    const std::size_t terms = static_cast<std::size_t>(terms_);
    bool any = false;
    double unionMin = 0, unionMax = 0;  // of the form's values over the box, for the zero
    for (const int* candidate = level.first[i]; candidate != level.last[i]; ++candidate) {
        const std::array<double, kMaxParameters>& f = f_[static_cast<std::size_t>(*candidate)];
        double sumMin = 0, sumMax = 0;
        std::array<double, kMaxParameters> low{}, high{};
        for (std::size_t j = 0; j < terms; ++j) {
            low[j] = std::min(b.lo[j] * f[j], b.hi[j] * f[j]);
            high[j] = std::max(b.lo[j] * f[j], b.hi[j] * f[j]);
            sumMin += low[j];
            sumMax += high[j];
        }
        // f_j p_j lies within [qLow − (the rest's largest), qHigh − (the rest's smallest)].
        Box slab = b;
        bool empty = false;
        for (std::size_t j = 0; j < terms && !empty; ++j) {
            if (f[j] == 0)
                continue;
            const double from = (qLow - (sumMax - high[j])) / f[j], to = (qHigh - (sumMin - low[j])) / f[j];
            empty = !clip(slab.lo[j], slab.hi[j], std::min(from, to), std::max(from, to));
        }
        if (empty)
            continue;
        if (!any) {
            hull = slab;
            unionMin = sumMin;
            unionMax = sumMax;
        } else {
            for (std::size_t j = 0; j < terms; ++j) {
                hull.lo[j] = std::min(hull.lo[j], slab.lo[j]);
                hull.hi[j] = std::max(hull.hi[j], slab.hi[j]);
            }
            unionMin = std::min(unionMin, sumMin);
            unionMax = std::max(unionMax, sumMax);
        }
        any = true;
    }
    // The zero: Q(t − z + tol) at least the smallest value and Q(t − z − tol) at most the largest.
    if (any && b.zeroHi > b.zeroLo)
        any = clip(hull.zeroLo, hull.zeroHi, t - tol - two_theta_of_q(unionMax, wavelength_),
                   t + tol - two_theta_of_q(std::max(unionMin, 0.0), wavelength_));
    return any;
}

bool DichotomySearch::contract(Box& box, const Level& level, int missing) const
{
    // A line may still be an impurity while the allowance lasts: each bound is the one that all but
    // that many lines agree on.
    const std::size_t spare = static_cast<std::size_t>(settings_.allowedMissing - missing);
    const std::size_t dims = static_cast<std::size_t>(terms_) + 1;
    std::array<std::vector<double>, kMaxParameters + 1>& lows = lows_;
    std::array<std::vector<double>, kMaxParameters + 1>& highs = highs_;
    for (std::size_t j = 0; j < dims; ++j) {
        lows[j].clear();
        highs[j].clear();
    }
    for (std::size_t i = 0; i < twoTheta_.size(); ++i) {
        if (level.missing[i])
            continue;
        Box hull = box;
        if (level.count(i) <= kFewCandidates && !line_hull(box, i, level, hull)) {
            if (spare == 0)
                return false;
            hull = box;  // an impurity, as far as this box knows
        }
        for (std::size_t j = 0; j + 1 < dims; ++j) {
            lows[j].push_back(hull.lo[j]);
            highs[j].push_back(hull.hi[j]);
        }
        lows[dims - 1].push_back(hull.zeroLo);
        highs[dims - 1].push_back(hull.zeroHi);
    }
    for (std::size_t j = 0; j < dims; ++j) {
        if (lows[j].size() <= spare)
            return true;
        std::nth_element(lows[j].begin(), lows[j].begin() + static_cast<long>(spare), lows[j].end(), std::greater<>());
        std::nth_element(highs[j].begin(), highs[j].begin() + static_cast<long>(spare), highs[j].end());
        const double lo = lows[j][spare], hi = highs[j][spare];
        const bool kept = j + 1 < dims ? clip(box.lo[j], box.hi[j], lo, hi) : clip(box.zeroLo, box.zeroHi, lo, hi);
        if (!kept)
            return false;
    }
    return true;
}

void DichotomySearch::examine(Box box, std::size_t depth)
{
    if (stopped_)
        return;
    if (++nodes_ % kStopPolling == 0 && (((*stop_) && (*stop_)()) ||
                                         (settings_.nodeBudget > 0 && nodes_ >= settings_.nodeBudget))) {
        stopped_ = true;
        return;
    }
    if (!tighten(box) || !volume_allows(box))
        return;
    Level& child = levels_[depth + 1];
    Verdict v = filter_lines(box, levels_[depth], child, depth % kFilterEveryLevels == 0);
    // The lines with few reflections left narrow the box; while it narrows much, they are looked at again.
    for (int round = 0; v.alive && !v.precise && round < kContractionRounds; ++round) {
        const Box before = box;
        if (!contract(box, child, v.missing) || !tighten(box) || !volume_allows(box))
            return;
        if (narrowing(before, box) > 0.8)
            break;
        std::swap(child, scratch_);
        v = filter_lines(box, scratch_, child, false);
    }
    if (!v.alive)
        return;
    if (v.precise || (v.unique && determined(child)) || depth + 2 >= kMaxDepth) {
        if (!v.precise && !v.unique) {  // every line's reflections for the leaf
            std::swap(child, scratch_);
            v = filter_lines(box, scratch_, child, true);
        }
        if (v.alive)
            report_leaf(box, child);
        return;
    }
    const int dimension = split_dimension(box, child);
    Box low = box, high = box;
    if (dimension < 0) {
        low.zeroHi = high.zeroLo = (box.zeroLo + box.zeroHi) / 2;
    } else {
        const std::size_t j = static_cast<std::size_t>(dimension);
        low.hi[j] = high.lo[j] = (box.lo[j] + box.hi[j]) / 2;
    }
    examine(low, depth + 1);
    examine(high, depth + 1);
}

double DichotomySearch::narrowing(const Box& before, const Box& after) const
{
    double ratio = 1;
    for (std::size_t j = 0; j < static_cast<std::size_t>(terms_); ++j)
        if (before.hi[j] > before.lo[j])
            ratio *= (after.hi[j] - after.lo[j]) / (before.hi[j] - before.lo[j]);
    if (before.zeroHi > before.zeroLo)
        ratio *= (after.zeroHi - after.zeroLo) / (before.zeroHi - before.zeroLo);
    return ratio;
}

bool DichotomySearch::run(const std::function<void(const DichotomyLeaf&)>& leaf, const std::function<bool()>& stop)
{
    leaf_ = &leaf;
    stop_ = &stop;
    stopped_ = false;
    const std::size_t n = twoTheta_.size();
    levels_.assign(kMaxDepth + 1, Level{});
    Level& all = levels_[0];
    all.missing.assign(n, 0);
    all.owned.assign(n, 0);  // one list shared by every line, owned by none
    for (std::size_t c = 0; c < classes_.size(); ++c)
        all.candidates.push_back(static_cast<int>(c));
    all.first.assign(n, all.candidates.data());
    all.last.assign(n, all.candidates.data() + all.candidates.size());
    for (const Box& root : roots_)
        examine(root, 0);
    levels_.clear();
    return !stopped_;
}

}  // namespace kalidos
