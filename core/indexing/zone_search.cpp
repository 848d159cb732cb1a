#include "indexing/zone_search.hpp"

#include <Eigen/Cholesky>  // for the least squares of the metric
#include <Eigen/LU>        // for the determinant and inverse of the metric

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "indexing/niggli_reduction.hpp"

namespace kalidos {
namespace {

constexpr double kPi = 3.14159265358979323846;
// The low-angle lines whose vectors (or half vectors) begin the zones.
constexpr std::size_t kBasisLines = 12;
// The largest index of a reflection tried when the last product of a lattice is voted on.
constexpr int kVotedIndex = 3;
// The largest index of a zone's vectors tried as the row two zones share.
constexpr int kSharedRowIndex = 2;
// A zone must index more lines than the three that make it, beyond chance (e⁻² ≈ 14 %): the zones
// of a small cell hold few of the first lines.
constexpr double kLeastZoneSurprise = 2;
// Lattices from the votes of each pair of zones.
constexpr std::size_t kValuesPerPair = 3;

// −ln of the chance that at least n lines fall on reflections by chance when λ are expected
// (Poisson): how unlikely a zone or lattice is to index its lines at random.
double surprise(int n, double lambda)
{
    if (n <= 0)
        return 0;
    lambda = std::max(lambda, 1e-9);
    double tail = 0;
    for (int k = n; k < n + 60; ++k) {
        const double term = std::exp(-lambda + k * std::log(lambda) - std::lgamma(k + 1.0));
        tail += term;
        if (term < 1e-6 * tail)
            break;
    }
    return -std::log(std::max(tail, 1e-300));
}

// The lines as the search sees them at one trial zero error: Q and the window each may move in.
struct Lines {
    std::vector<double> q, window;
    double qMax = 0;
};

Lines lines_at_zero(const IndexingLines& lines, const ZoneSettings& settings, double zero, std::size_t count)
{
    Lines l;
    const std::size_t n = std::min(count, lines.twoTheta.size());
    for (std::size_t i = 0; i < n; ++i) {
        l.q.push_back(q_of_two_theta(lines.twoTheta[i] - zero, lines.wavelength));
        l.window.push_back(q_slope(lines.twoTheta[i], lines.wavelength) * settings.tolerance);
    }
    l.qMax = l.q.empty() ? 0 : l.q.back() + l.window.back();
    return l;
}

// The window of a value of Q that no line gives directly: that of the nearest line.
double window_at(const Lines& l, double q)
{
    const auto it = std::lower_bound(l.q.begin(), l.q.end(), q);
    const std::size_t i = it == l.q.end() ? l.q.size() - 1 : static_cast<std::size_t>(it - l.q.begin());
    return l.window[i] * std::sqrt(std::max(q, 1e-12) / l.q[i]);
}

// A zone: the metric of its reduced basis, Q(a*) ≤ Q(b*), |2 a*·b*| ≤ Q(a*), a*·b* ≥ 0.
struct Zone {
    double qa = 0, qb = 0, ab = 0;
    double score = 0;
};

void reduce_zone(Zone& z)
{
    for (int step = 0; step < 100; ++step) {
        if (z.qb < z.qa)
            std::swap(z.qa, z.qb);
        const double m = std::round(z.ab / z.qa);
        if (m == 0)
            break;
        z.qb += m * m * z.qa - 2 * m * z.ab;
        z.ab -= m * z.qa;
    }
    z.ab = std::fabs(z.ab);
}

// Lines of the zone's reflections (h k) within their windows (times `widen`); with `hk`, the index
// of each (0 0 for none).
int zone_indexed(const Zone& z, const Lines& l, double widen, std::vector<std::array<int, 2>>* hk)
{
    const double det = z.qa * z.qb - z.ab * z.ab;
    if (!(det > 0))
        return 0;
    // |h| ≤ sqrt(Q qb / det), |k| ≤ sqrt(Q qa / det)
    const int maxH = static_cast<int>(std::sqrt(l.qMax * z.qb / det)) + 1;
    const int maxK = static_cast<int>(std::sqrt(l.qMax * z.qa / det)) + 1;
    struct Reflection {
        double q;
        int h, k;
    };
    thread_local std::vector<Reflection> all;
    all.clear();
    for (int h = 0; h <= maxH; ++h)
        for (int k = h == 0 ? 1 : -maxK; k <= maxK; ++k) {
            const double q = h * h * z.qa + k * k * z.qb + 2 * h * k * z.ab;
            if (q <= l.qMax * 1.01)
                all.push_back({q, h, k});
        }
    std::sort(all.begin(), all.end(), [](const Reflection& x, const Reflection& y) { return x.q < y.q; });
    if (hk)
        hk->assign(l.q.size(), {0, 0});
    int count = 0;
    for (std::size_t j = 0; j < l.q.size(); ++j) {
        const auto it = std::lower_bound(all.begin(), all.end(), l.q[j], [](const Reflection& r, double q) { return r.q < q; });
        double best = widen * l.window[j];
        bool found = false;
        for (auto c = it == all.begin() ? it : it - 1; c != all.end() && c <= it; ++c)
            if (std::fabs(c->q - l.q[j]) <= best) {
                best = std::fabs(c->q - l.q[j]), found = true;
                if (hk)
                    (*hk)[j] = {c->h, c->k};
            }
        count += found;
    }
    return count;
}

// Refines the zone's metric on the lines it indexes (linear least squares in Q, each line weighted
// by its window) and scores it: lines indexed beyond those its density of reflections would catch
// by chance.
bool refine_zone(Zone& z, const Lines& l)
{
    std::vector<std::array<int, 2>> hk;
    for (int round = 0; round < 2; ++round) {
        if (zone_indexed(z, l, round == 0 ? 2 : 1, &hk) < 4)
            return false;
        Eigen::Matrix3d n = Eigen::Matrix3d::Zero();
        Eigen::Vector3d r = Eigen::Vector3d::Zero();
        for (std::size_t j = 0; j < l.q.size(); ++j) {
            const auto [h, k] = hk[j];
            if (h == 0 && k == 0)
                continue;
            const Eigen::Vector3d row(h * h, k * k, 2 * h * k);
            const double w = 1 / (l.window[j] * l.window[j]);
            n += w * row * row.transpose();
            r += w * row * l.q[j];
        }
        if (std::fabs(n.determinant()) < 1e-30 * n.trace() * n.trace() * n.trace())
            break;  // the lines fix the zone no better than its four relations did
        const Eigen::Vector3d x = n.ldlt().solve(r);
        z.qa = x(0), z.qb = x(1), z.ab = x(2);
        if (!(z.qa > 0 && z.qb > 0 && z.qa * z.qb > z.ab * z.ab))
            return false;
        reduce_zone(z);
    }
    const int indexed = zone_indexed(z, l, 1, nullptr);
    const double density = kPi / (2 * std::sqrt(z.qa * z.qb - z.ab * z.ab));
    double chance = 0;
    for (const double w : l.window)
        chance += density * 2 * w;
    z.score = surprise(indexed - 3, chance);  // three lines make the zone
    return true;
}

bool same_zone(const Zone& x, const Zone& y)
{
    const auto close = [](double u, double v, double scale) { return std::fabs(u - v) <= 2e-3 * scale; };
    return close(x.qa, y.qa, x.qa) && close(x.qb, y.qb, x.qb) && close(x.ab, y.ab, x.qa);
}

std::vector<Zone> find_zones(const Lines& l, const ZoneSettings& settings, const std::function<bool()>& stop)
{
    // The vectors: each low-angle line, and a quarter of it (the line as the second order of a row).
    std::vector<double> vectors, windows;
    for (std::size_t i = 0; i < std::min(kBasisLines, l.q.size()); ++i) {
        vectors.push_back(l.q[i]), windows.push_back(l.window[i]);
        vectors.push_back(l.q[i] / 4), windows.push_back(l.window[i] / 4);
    }
    const double longest = 1 / (settings.minAxis * settings.minAxis);  // no shorter translation: Q(100) above it is no row
    std::vector<Zone> zones;
    for (std::size_t i = 0; i < vectors.size(); ++i)
        for (std::size_t k = i; k < vectors.size(); ++k) {
            if (stop && stop())
                return {};
            const double qa = std::min(vectors[i], vectors[k]), qb = std::max(vectors[i], vectors[k]);
            if (qb > longest)
                continue;
            // A third line as the reflection (h k) of the zone sets the product a*·b*.
            for (std::size_t c = 0; c < l.q.size(); ++c)
                for (const auto& [h, m] : {std::array<int, 2>{1, 1}, {1, 2}, {2, 1}}) {
                    Zone z{qa, qb, (l.q[c] - h * h * qa - m * m * qb) / (2 * h * m), 0};
                    if (!(z.ab * z.ab < 0.999 * qa * qb))
                        continue;
                    reduce_zone(z);
                    if (!refine_zone(z, l) || z.score < kLeastZoneSurprise)
                        continue;
                    const auto same = std::find_if(zones.begin(), zones.end(), [&](const Zone& y) { return same_zone(y, z); });
                    if (same == zones.end())
                        zones.push_back(z);
                    else if (z.score > same->score)
                        *same = z;
                }
        }
    std::sort(zones.begin(), zones.end(), [](const Zone& x, const Zone& y) { return x.score > y.score; });
    if (zones.size() > settings.zones)
        zones.resize(settings.zones);
    return zones;
}

// A primitive vector of a zone, h a* + k b*, and a second one completing it to a basis of the zone,
// as Q values and their product.
struct Row {
    double qv = 0, qx = 0, vx = 0;
};

std::vector<Row> rows_of(const Zone& z)
{
    std::vector<Row> rows;
    const auto q = [&](int h, int k) { return h * h * z.qa + k * k * z.qb + 2 * h * k * z.ab; };
    const auto product = [&](int h, int k, int p, int r) { return h * p * z.qa + k * r * z.qb + (h * r + k * p) * z.ab; };
    for (int h = 0; h <= kSharedRowIndex; ++h)
        for (int k = h == 0 ? 1 : -kSharedRowIndex; k <= kSharedRowIndex; ++k) {
            if (std::gcd(h, k) != 1)
                continue;
            // p, r with h r − k p = 1
            int p = 0, r = 0;
            for (int s = -kSharedRowIndex; s <= kSharedRowIndex && !(p || r); ++s)
                for (int t = -kSharedRowIndex; t <= kSharedRowIndex; ++t)
                    if (h * t - k * s == 1) {
                        p = s, r = t;
                        break;
                    }
            if (!(p || r))
                continue;
            Row row{q(h, k), q(p, r), product(h, k, p, r)};
            // The completing vector made as short as the row allows.
            const double m = std::round(row.vx / row.qv);
            row.qx += m * m * row.qv - 2 * m * row.vx;
            row.vx -= m * row.qv;
            rows.push_back(row);
        }
    return rows;
}

struct Candidate {
    Eigen::Matrix3d gStar;
    double zero = 0;
};

// The values of the last product y = x1*·x2* that the lines give, the most agreed first.
std::vector<double> voted_products(const Row& r1, const Row& r2, double qv, const Lines& l)
{
    struct Vote {
        double y, w;
        std::size_t line;
    };
    std::vector<Vote> votes;
    const double limit = std::sqrt(r1.qx * r2.qx);
    for (std::size_t j = 0; j < l.q.size(); ++j)
        for (int h = -kVotedIndex; h <= kVotedIndex; ++h)
            for (int k = 1; k <= kVotedIndex; ++k)
                for (int m = -kVotedIndex; m <= kVotedIndex; ++m) {
                    if (m == 0)
                        continue;
                    const double known = h * h * qv + k * k * r1.qx + m * m * r2.qx + 2 * h * k * r1.vx + 2 * h * m * r2.vx;
                    const double y = (l.q[j] - known) / (2 * k * m);
                    if (std::fabs(y) < limit)
                        votes.push_back({y, l.window[j] / (2 * std::abs(k * m)), j});
                }
    std::sort(votes.begin(), votes.end(), [](const Vote& x, const Vote& y) { return x.y < y.y; });
    std::vector<std::pair<int, double>> counted;  // lines agreeing, value
    std::vector<char> seen(l.q.size());
    for (std::size_t i = 0; i < votes.size(); ++i) {
        std::fill(seen.begin(), seen.end(), 0);
        int n = 0;
        std::size_t lo = i;
        while (lo > 0 && votes[lo - 1].y >= votes[i].y - votes[i].w)
            --lo;
        for (std::size_t m = lo; m < votes.size() && votes[m].y <= votes[i].y + votes[i].w; ++m)
            if (!seen[votes[m].line])
                seen[votes[m].line] = 1, ++n;
        if (n >= 2)
            counted.emplace_back(n, votes[i].y);
    }
    std::sort(counted.begin(), counted.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    std::vector<double> values;
    for (const auto& [n, y] : counted) {
        if (std::none_of(values.begin(), values.end(), [&](double v) { return std::fabs(v - y) < 1e-3 * limit; }))
            values.push_back(y);
        if (values.size() == kValuesPerPair)
            break;
    }
    return values;
}

// The lines a lattice indexes within `widen` windows; with `hkl`, the reflection of each (0 0 0
// for none), and with `ambiguous`, whether reflections of other Q lie as near.
int lattice_indexed(const Eigen::Matrix3d& gStar, const Lines& l, double widen, std::vector<Eigen::Vector3i>* hkl,
                    std::vector<char>* ambiguous = nullptr, double* precision = nullptr)
{
    const Eigen::Matrix3d g = gStar.inverse();
    const int maxH = static_cast<int>(std::sqrt(l.qMax * g(0, 0))) + 1;
    const int maxK = static_cast<int>(std::sqrt(l.qMax * g(1, 1))) + 1;
    const int maxL = static_cast<int>(std::sqrt(l.qMax * g(2, 2))) + 1;
    // Each reflection to the nearest line (the lines are sorted), no list of reflections made.
    const std::size_t n = l.q.size();
    thread_local std::vector<double> best, bestQ;
    thread_local std::vector<int> near;
    thread_local std::vector<Eigen::Vector3i> index;
    best.assign(n, std::numeric_limits<double>::infinity());
    bestQ.assign(n, 0);
    near.assign(n, 0);
    index.assign(n, Eigen::Vector3i::Zero());
    const double reach = l.qMax * 1.01;
    for (int h = 0; h <= maxH; ++h)
        for (int k = h == 0 ? 0 : -maxK; k <= maxK; ++k) {
            const Eigen::Vector3d hk(h, k, 0);
            const double qhk = hk.dot(gStar * hk);
            const double linear = 2 * (h * gStar(0, 2) + k * gStar(1, 2));
            for (int m = (h == 0 && k == 0) ? 1 : -maxL; m <= maxL; ++m) {
                const double q = qhk + m * (linear + m * gStar(2, 2));
                if (q > reach)
                    continue;
                const std::size_t above = static_cast<std::size_t>(std::lower_bound(l.q.begin(), l.q.end(), q) - l.q.begin());
                for (std::size_t j = above > 0 ? above - 1 : 0; j < std::min(above + 2, n); ++j) {
                    const double d = std::fabs(q - l.q[j]);
                    if (d > widen * l.window[j])
                        continue;
                    if (near[j] == 0 || std::fabs(q - bestQ[j]) > 1e-9 * q)
                        ++near[j];
                    if (d < best[j])
                        best[j] = d, bestQ[j] = q, index[j] = Eigen::Vector3i(h, k, m);
                }
            }
        }
    if (hkl)
        hkl->assign(n, Eigen::Vector3i::Zero());
    if (ambiguous)
        ambiguous->assign(n, 0);
    int count = 0;
    double spread = 0;  // the lines' distances from their reflections, in windows
    for (std::size_t j = 0; j < n; ++j) {
        if (near[j] == 0)
            continue;
        ++count;
        spread += best[j] / l.window[j];
        if (hkl)
            (*hkl)[j] = index[j];
        if (ambiguous)
            (*ambiguous)[j] = near[j] > 1;
    }
    // Lines at random lie half a window from the nearest reflection on average; those of the right
    // lattice nearer, as their errors allow. The share of the window the chance of a line is
    // counted on follows (as M20 weighs its mean error).
    if (precision)
        *precision = std::clamp(2 * spread / std::max(count, 1), 0.2, 1.0);
    return count;
}

// The lattice's metric and the zero error (within ±zeroRange of the lines' trial zero `zero`)
// refined on the lines it indexes, linearly in Q: a line moves in Q by its slope times a change of
// the zero. `l` is brought to the zero found.
void refine_lattice(Eigen::Matrix3d& gStar, Lines& l, double& zero, double tolerance, double zeroRange,
                    bool unambiguousFirst)
{
    std::vector<Eigen::Vector3i> hkl;
    std::vector<char> ambiguous;
    using Vector7 = Eigen::Matrix<double, 7, 1>;
    // Lines that two reflections may explain are left out of the first rounds, while the metric is
    // still rough.
    constexpr double widen[] = {2, 1.5, 1.2, 1, 1};
    for (std::size_t round = 0; round < std::size(widen); ++round) {
        if (lattice_indexed(gStar, l, widen[round], &hkl, &ambiguous) < 8)
            return;
        Eigen::Matrix<double, 7, 7> n = Eigen::Matrix<double, 7, 7>::Zero();
        Vector7 r = Vector7::Zero();
        for (std::size_t j = 0; j < l.q.size(); ++j) {
            const Eigen::Vector3i& m = hkl[j];
            if (m.isZero() || (unambiguousFirst && ambiguous[j] && round < 3))
                continue;
            Vector7 row;
            row << m(0) * m(0), m(1) * m(1), m(2) * m(2), 2 * m(1) * m(2), 2 * m(0) * m(2), 2 * m(0) * m(1),
                l.window[j] / tolerance;
            const double w = 1 / (l.window[j] * l.window[j]);
            n += w * row * row.transpose();
            r += w * row * l.q[j];
        }
        // A zero that the lines do not fix is held: its row and column weighted to keep it.
        n(6, 6) += 1 / (zeroRange * zeroRange + 1e-12);
        const Eigen::LDLT<Eigen::Matrix<double, 7, 7>> solver(n);
        if (solver.info() != Eigen::Success || !solver.isPositive() ||
            solver.vectorD().minCoeff() <= 1e-12 * solver.vectorD().maxCoeff())
            return;  // some term left free: keep the metric
        const Vector7 x = solver.solve(r);
        Eigen::Matrix3d refined;
        refined << x(0), x(5), x(4), x(5), x(1), x(3), x(4), x(3), x(2);
        if (!(refined.determinant() > 0 && refined(0, 0) > 0 && refined(1, 1) > 0 &&
              refined.topLeftCorner<2, 2>().determinant() > 0))
            return;
        gStar = refined;
        // Q of a line = model + slope·δ: the lines corrected by the zero change δ = x(6).
        const double shift = std::clamp(zero + x(6), -zeroRange, zeroRange) - zero;
        for (std::size_t j = 0; j < l.q.size(); ++j)
            l.q[j] -= l.window[j] / tolerance * shift;
        zero += shift;
    }
}

struct Found {
    ZoneLattice lattice;
    double score = 0;
    double volume = 0;
};

void search_at_zero(const IndexingLines& lines, const ZoneSettings& settings, double zero,
                    const std::function<bool()>& stop, std::vector<Found>& found)
{
    const Lines l = lines_at_zero(lines, settings, zero, settings.lineCount);
    // Every line, on which the lattices are refined: a lattice that misplaces the first lines
    // consistently is told by the later ones.
    const Lines every = lines_at_zero(lines, settings, zero, lines.twoTheta.size());
    if (l.q.size() < 7)
        return;
    const std::vector<Zone> zones = find_zones(l, settings, stop);
    const int needed = static_cast<int>(l.q.size()) - settings.allowedMissing;
    std::vector<std::vector<Row>> rows;
    for (const Zone& z : zones)
        rows.push_back(rows_of(z));
    // Each of the best zones joined with every other: the zones of a small cell hold few lines
    // and rank low, but one good zone beside them makes the lattice.
    for (std::size_t i = 0; i < std::min(zones.size(), settings.leadingZones); ++i)
        for (std::size_t k = i + 1; k < zones.size(); ++k) {
            if (stop && stop())
                return;
            for (const Row& r1 : rows[i])
                for (const Row& r2 : rows[k]) {
                    if (std::fabs(r1.qv - r2.qv) > 2 * window_at(l, r1.qv))
                        continue;
                    const double qv = (r1.qv + r2.qv) / 2;
                    for (const double y : voted_products(r1, r2, qv, l))
                        for (const bool unambiguousFirst : {false, true}) {
                        Eigen::Matrix3d gStar;
                        gStar << qv, r1.vx, r2.vx, r1.vx, r1.qx, y, r2.vx, y, r2.qx;
                        if (!(gStar.determinant() > 1e-12 * qv * r1.qx * r2.qx))
                            continue;
                        const double volume = 1 / std::sqrt(gStar.determinant());
                        if (settings.maxVolume > 0 && volume > 1.05 * settings.maxVolume)
                            continue;
                        Lines moved = every;
                        double refinedZero = zero;
                        // Most trial lattices index few lines even loosely: not worth refining.
                        if (lattice_indexed(gStar, l, 2, nullptr) < needed - 2)
                            continue;
                        refine_lattice(gStar, moved, refinedZero, settings.tolerance, settings.zeroRange, unambiguousFirst);
                        moved.q.resize(l.q.size());
                        moved.window.resize(l.q.size());
                        moved.qMax = l.qMax;
                        double precision = 0;
                        const int indexed = lattice_indexed(gStar, moved, 1, nullptr, nullptr, &precision);
                        if (indexed < needed)
                            continue;
                        const UnitCell cell = cell_of_reciprocal_metric(gStar);
                        if (!is_valid_cell(cell))
                            continue;
                        const ReducedCell reduced = niggli_reduce(cell);
                        const UnitCell& c = reduced.cell;
                        const double v = volume_of(c);
                        if (std::min({c.a, c.b, c.c}) < 0.98 * settings.minAxis ||
                            (settings.maxVolume > 0 && v > settings.maxVolume))
                            continue;
                        // Lines indexed beyond those the lattice's density of reflections would catch.
                        double chance = 0;
                        for (std::size_t j = 0; j < l.q.size(); ++j)
                            chance += kPi * std::sqrt(l.q[j]) * v * 2 * l.window[j] * precision;
                        Found f{{c, indexed, refinedZero}, surprise(indexed - 6, chance), v};  // six make the lattice
                        const auto same = std::find_if(found.begin(), found.end(), [&](const Found& x) {
                            return std::fabs(x.volume - v) < 0.01 * v && same_lattice(x.lattice.reduced, c, 3e-3);
                        });
                        if (same == found.end())
                            found.push_back(f);
                        else if (f.score > same->score)
                            *same = f;
                    }
                }
        }
}

}  // namespace

std::vector<ZoneLattice> zone_lattices(const IndexingLines& lines, const ZoneSettings& settings,
                                       const std::function<bool()>& stop)
{
    std::vector<Found> found;
    // The zero error is tried in steps of 1.5 tolerances, so that the relations between lines hold
    // within about their windows at one of the trials; the lattices refine it.
    const double stepSize = 1.5 * settings.tolerance;
    const int steps = settings.zeroRange > 0 ? static_cast<int>(std::lround(settings.zeroRange / stepSize)) : 0;
    for (int s = 0; s <= 2 * steps; ++s) {
        const int step = (s + 1) / 2 * (s % 2 ? 1 : -1);  // 0, 1, -1, 2, -2 ...
        search_at_zero(lines, settings, step * stepSize, stop, found);
        if (stop && stop())
            break;
    }
    std::sort(found.begin(), found.end(), [](const Found& x, const Found& y) { return x.score > y.score; });
    std::vector<ZoneLattice> result;
    for (std::size_t i = 0; i < std::min(found.size(), settings.lattices); ++i)
        result.push_back(found[i].lattice);
    return result;
}

}  // namespace kalidos
