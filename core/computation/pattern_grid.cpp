#include "computation/pattern_grid.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include <Eigen/SparseCore>  // for the near parts of many columns

#include "computation/parallel_for.hpp"
#include "computation/peak_terms.hpp"

namespace kalidos {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kLn2 = 0.6931471805599453;
constexpr double kEdge2 = kNearHalfWidths * kNearHalfWidths;
// The Lorentzian 1/(1 + x²) is split into a smooth tail S and a near part L − S that is zero beyond
// the near window. S is the Lorentzian itself beyond the window and, inside, the parabola
// kCap − kCurvature·x² that meets it there with the same value and slope.
constexpr double kEdgeValue = 1 / (1 + kEdge2);
constexpr double kCurvature = kEdgeValue * kEdgeValue;
constexpr double kCap = kEdgeValue + kCurvature * kEdge2;
constexpr int kMaxLevel = 24;

inline double smooth_tail(double x2)
{
    return x2 >= kEdge2 ? 1 / (1 + x2) : kCap - kCurvature * x2;
}

inline double near_part(double x2, double eta)
{
    return eta * (1 / (1 + x2) - (kCap - kCurvature * x2)) + (1 - eta) * std::exp2(-x2);
}

// The points of [first, last) (ascending) within a term's near window.
template <class Point>
std::pair<Point, Point> near_window(const ProfileTerm& t, Point first, Point last)
{
    const double reach = kNearHalfWidths * t.halfWidth;
    const Point low = std::lower_bound(first, last, t.position - reach);
    return {low, std::upper_bound(low, last, t.position + reach)};
}

// Points [begin, end) receive the near part of every term whose window reaches them.
void add_near_parts(const std::vector<ProfileTerm>& terms, const std::vector<double>& grid, std::vector<double>& out,
                    int begin, int end)
{
    const auto first = grid.begin() + begin;
    const auto last = grid.begin() + end;
    for (const ProfileTerm& t : terms) {
        const auto [low, high] = near_window(t, first, last);
        for (auto p = low; p != high; ++p) {
            const double x = (*p - t.position) / t.halfWidth;
            const double x2 = x * x;
            if (x2 < kEdge2)
                out[static_cast<std::size_t>(p - grid.begin())] += t.height * near_part(x2, t.eta);
        }
    }
}

// The coarse grid on which the tails of the terms of one width class are summed.
struct TailLevel {
    std::vector<const ProfileTerm*> terms;
    std::vector<double> nodes;  // tail sums at first + i·spacing
    double spacing = 0;
};

int level_of(const ProfileTerm& t, double range, int maxLevel)
{
    const double wanted = range / (kCoarseStepHalfWidths * t.halfWidth);
    const int level = wanted <= 2 ? 1 : static_cast<int>(std::ceil(std::log2(wanted)));
    return std::clamp(level, 1, maxLevel);
}

void sum_tails(TailLevel& level, double first)
{
    parallel_for(static_cast<int>(level.nodes.size()), [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const double angle = first + i * level.spacing;
            double sum = 0;
            for (const ProfileTerm* t : level.terms) {
                const double x = (angle - t->position) / t->halfWidth;
                sum += t->eta * t->height * smooth_tail(x * x);
            }
            level.nodes[static_cast<std::size_t>(i)] = sum;
        }
    });
}

void add_interpolated(const TailLevel& level, double first, const std::vector<double>& grid, std::vector<double>& out)
{
    const int last = static_cast<int>(level.nodes.size()) - 2;
    for (std::size_t j = 0; j < grid.size(); ++j) {
        const double u = (grid[j] - first) / level.spacing;
        const int i = std::clamp(static_cast<int>(std::floor(u)), 0, last);
        const double f = u - i;
        out[j] += level.nodes[static_cast<std::size_t>(i)] * (1 - f) + level.nodes[static_cast<std::size_t>(i) + 1] * f;
    }
}

void add_tails(const std::vector<ProfileTerm>& terms, const std::vector<double>& grid, std::vector<double>& out)
{
    const double first = grid.front();
    const double range = grid.back() - first;
    if (!(range > 0)) {
        for (const ProfileTerm& t : terms) {
            const double x = (first - t.position) / t.halfWidth;
            out[0] += t.eta * t.height * smooth_tail(x * x);
        }
        return;
    }
    const int maxLevel = std::min(kMaxLevel, static_cast<int>(std::ceil(std::log2(double(grid.size())))) + 2);
    std::map<int, TailLevel> levels;
    for (const ProfileTerm& t : terms)
        if (t.eta != 0)
            levels[level_of(t, range, maxLevel)].terms.push_back(&t);
    for (auto& [k, level] : levels) {
        level.nodes.assign((std::size_t{1} << k) + 1, 0.0);
        level.spacing = range / static_cast<double>(std::size_t{1} << k);
        sum_tails(level, first);
        add_interpolated(level, first, grid, out);
    }
}

}  // namespace

double height_for_area(double area, double halfWidth, double eta)
{
    return area / (halfWidth * (eta * kPi + (1 - eta) * std::sqrt(kPi / kLn2)));
}

double height_share(double areaShare)
{
    // Unit-area peaks of half width 1: the Lorentzian is 1/π high, the Gaussian √(ln 2/π).
    const double lorentzian = areaShare / kPi, gaussian = (1 - areaShare) * std::sqrt(kLn2 / kPi);
    return lorentzian / (lorentzian + gaussian);
}

std::vector<double> evaluate_profile_terms(const std::vector<ProfileTerm>& terms, const std::vector<double>& twoTheta)
{
    std::vector<double> out(twoTheta.size(), 0.0);
    if (twoTheta.empty() || terms.empty())
        return out;
    parallel_for(static_cast<int>(twoTheta.size()),
                 [&](int begin, int end) { add_near_parts(terms, twoTheta, out, begin, end); });
    add_tails(terms, twoTheta, out);
    return out;
}

namespace {

// The columns are made transposed (columns × points): each point then adds whole rows of weights,
// contiguous in memory, instead of gathering them one column at a time.

// The near parts as a sparse matrix of rows × points, made column by column: a point's entries are
// its terms' in their order, the copies of one row (adjacent there) summed in that order.
Eigen::SparseMatrix<double> near_matrix(const std::vector<ProfileTerm>& terms, std::span<const int> row,
                                        Eigen::Index rows, const std::vector<double>& grid)
{
    // Fixed runs of points, each made by one thread: its points' entries, point by point.
    constexpr int kRun = 1024;
    struct Run {
        std::vector<int> count, rows;
        std::vector<double> values;
    };
    const auto points = static_cast<int>(grid.size());
    std::vector<Run> runs(static_cast<std::size_t>((points + kRun - 1) / kRun));
    parallel_items(static_cast<int>(runs.size()), [&](int r) {
        const int begin = r * kRun, end = std::min(points, begin + kRun);
        const auto first = grid.begin() + begin, last = grid.begin() + end;
        std::vector<int> point, entryRow, lastEntry(static_cast<std::size_t>(end - begin), -1);
        std::vector<double> value;
        for (std::size_t i = 0; i < terms.size(); ++i) {
            const ProfileTerm& t = terms[i];
            const auto [low, high] = near_window(t, first, last);
            for (auto p = low; p != high; ++p) {
                const double x = (*p - t.position) / t.halfWidth;
                if (!(x * x < kEdge2))
                    continue;
                const double v = t.height * near_part(x * x, t.eta);
                int& previous = lastEntry[static_cast<std::size_t>(p - first)];
                if (previous >= 0 && entryRow[static_cast<std::size_t>(previous)] == row[i]) {
                    value[static_cast<std::size_t>(previous)] += v;
                    continue;
                }
                previous = static_cast<int>(value.size());
                point.push_back(static_cast<int>(p - first));
                entryRow.push_back(row[i]);
                value.push_back(v);
            }
        }
        Run& out = runs[static_cast<std::size_t>(r)];
        out.count.assign(static_cast<std::size_t>(end - begin), 0);
        for (const int p : point)
            ++out.count[static_cast<std::size_t>(p)];
        std::vector<int> place(out.count.size() + 1, 0);
        for (std::size_t p = 0; p < out.count.size(); ++p)
            place[p + 1] = place[p] + out.count[p];
        out.rows.resize(value.size());
        out.values.resize(value.size());
        for (std::size_t e = 0; e < value.size(); ++e) {
            const int at = place[static_cast<std::size_t>(point[e])]++;
            out.rows[static_cast<std::size_t>(at)] = entryRow[e];
            out.values[static_cast<std::size_t>(at)] = value[e];
        }
    });
    Eigen::SparseMatrix<double> near(rows, points);
    std::size_t entries = 0;
    for (const Run& run : runs)
        entries += run.values.size();
    near.resizeNonZeros(static_cast<Eigen::Index>(entries));
    int* outer = near.outerIndexPtr();
    outer[0] = 0;
    std::size_t at = 0;
    int column = 0;
    for (const Run& run : runs) {
        for (const int count : run.count) {
            outer[column + 1] = outer[column] + count;
            ++column;
        }
        std::copy(run.rows.begin(), run.rows.end(), near.innerIndexPtr() + at);
        std::copy(run.values.begin(), run.values.end(), near.valuePtr() + at);
        at += run.values.size();
    }
    return near;
}

// The linear interpolation from `nodes` nodes `spacing` apart from `start` onto the points (nodes × points).
Eigen::SparseMatrix<double> interpolation_onto(Eigen::Index nodes, double start, double spacing,
                                               const std::vector<double>& grid)
{
    const int last = static_cast<int>(nodes) - 2;
    std::vector<Eigen::Triplet<double>> entries;
    entries.reserve(2 * grid.size());
    for (std::size_t j = 0; j < grid.size(); ++j) {
        const double u = (grid[j] - start) / spacing;
        const int i = std::clamp(static_cast<int>(std::floor(u)), 0, last);
        const double f = u - i;
        entries.emplace_back(i, static_cast<int>(j), 1 - f);
        entries.emplace_back(i + 1, static_cast<int>(j), f);
    }
    Eigen::SparseMatrix<double> interpolation(nodes, static_cast<Eigen::Index>(grid.size()));
    interpolation.setFromTriplets(entries.begin(), entries.end());
    return interpolation;
}

// Each width class's tails on its coarse grid (its rows × nodes) and the linear interpolation from
// its nodes onto the points (nodes × points).
SampledTerms::Level tail_level(const TailLevel& level, std::span<const int> row, const ProfileTerm* first,
                               double start, const std::vector<double>& grid)
{
    SampledTerms::Level out;
    std::vector<int> place;  // per row of the terms: its row in this level, or −1
    for (const ProfileTerm* t : level.terms) {
        const auto r = static_cast<std::size_t>(row[static_cast<std::size_t>(t - first)]);
        if (r >= place.size())
            place.resize(r + 1, -1);
        if (place[r] < 0) {
            place[r] = static_cast<int>(out.rows.size());
            out.rows.push_back(static_cast<Eigen::Index>(r));
        }
    }
    const auto nodes = static_cast<Eigen::Index>(level.nodes.size());
    out.tails = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(out.rows.size()), nodes);
    parallel_for(static_cast<int>(nodes), [&](int begin, int end) {
        for (Eigen::Index i = begin; i < end; ++i) {
            const double angle = start + static_cast<double>(i) * level.spacing;
            for (const ProfileTerm* t : level.terms) {
                const double x = (angle - t->position) / t->halfWidth;
                out.tails(place[static_cast<std::size_t>(row[static_cast<std::size_t>(t - first)])], i) +=
                    t->eta * t->height * smooth_tail(x * x);
            }
        }
    });
    out.interpolation = interpolation_onto(nodes, start, level.spacing, grid);
    out.start = start;
    out.spacing = level.spacing;
    return out;
}

}  // namespace

SampledTerms::SampledTerms(const std::vector<ProfileTerm>& terms, std::span<const int> row, Eigen::Index rows,
                           const std::vector<double>& twoTheta)
    : points_(static_cast<Eigen::Index>(twoTheta.size())), twoTheta_(twoTheta)
{
    if (twoTheta.empty() || terms.empty())
        return;
    near_ = near_matrix(terms, row, rows, twoTheta);
    const double first = twoTheta.front();
    const double range = twoTheta.back() - first;
    const int maxLevel = std::min(kMaxLevel, static_cast<int>(std::ceil(std::log2(double(twoTheta.size())))) + 2);
    std::map<int, TailLevel> levels;
    for (const ProfileTerm& t : terms)
        if (t.eta != 0)
            levels[range > 0 ? level_of(t, range, maxLevel) : 1].terms.push_back(&t);
    for (auto& [k, level] : levels) {
        level.nodes.assign((std::size_t{1} << k) + 1, 0.0);
        level.spacing = range > 0 ? range / static_cast<double>(std::size_t{1} << k) : 1;
        levels_.push_back(tail_level(level, row, terms.data(), first, twoTheta));
    }
}

Eigen::MatrixXd SampledTerms::columns(const Eigen::MatrixXd& weights) const
{
    return transposed_columns(weights.transpose()).transpose();
}

Eigen::MatrixXd SampledTerms::transposed_columns(const Eigen::MatrixXd& weightsT, int coarserTails) const
{
    // Transposed (columns × points): each point adds whole columns of weightsT, contiguous in memory.
    Eigen::MatrixXd outT = Eigen::MatrixXd::Zero(weightsT.rows(), points_);
    if (near_.size() == 0)
        return outT;
    // Each width class's tails at its nodes for every column, the product made in blocks of nodes
    // shared between the threads (each block by one thread, the same whatever their number).
    constexpr Eigen::Index kNodeBlock = 128;
    std::vector<Eigen::MatrixXd> atNodes(levels_.size());
    std::vector<Eigen::SparseMatrix<double>> coarse(levels_.size());
    for (std::size_t l = 0; l < levels_.size(); ++l) {
        const Level& level = levels_[l];
        // (a level of every row, in order, takes the weights as they are)
        bool every = static_cast<Eigen::Index>(level.rows.size()) == weightsT.cols();
        for (std::size_t r = 0; every && r < level.rows.size(); ++r)
            every = level.rows[r] == static_cast<Eigen::Index>(r);
        Eigen::MatrixXd pickedRows;
        if (!every)
            pickedRows = weightsT(Eigen::all, level.rows);
        const Eigen::MatrixXd& picked = every ? weightsT : pickedRows;
        // Every stride-th node: the grid of a level `coarserTails` lower, where there is one.
        const Eigen::Index stride =
            std::min(Eigen::Index{1} << std::max(coarserTails, 0), (level.tails.cols() - 1) / 2);
        const Eigen::Index nodes = (level.tails.cols() - 1) / std::max<Eigen::Index>(stride, 1) + 1;
        const Eigen::Map<const Eigen::MatrixXd, 0, Eigen::OuterStride<>> tails(
            level.tails.data(), level.tails.rows(), nodes,
            Eigen::OuterStride<>(std::max<Eigen::Index>(stride, 1) * level.tails.rows()));
        atNodes[l].resize(weightsT.rows(), nodes);
        parallel_items(static_cast<int>((nodes + kNodeBlock - 1) / kNodeBlock), [&](int block) {
            const Eigen::Index first = block * kNodeBlock, width = std::min(kNodeBlock, nodes - first);
            atNodes[l].middleCols(first, width).noalias() = picked * tails.middleCols(first, width);
        });
        if (nodes != level.tails.cols())
            coarse[l] = interpolation_onto(nodes, level.start, level.spacing * static_cast<double>(stride),
                                           twoTheta_);
    }
    parallel_for(static_cast<int>(points_), [&](int begin, int end) {
        for (Eigen::Index p = begin; p < end; ++p) {
            for (Eigen::SparseMatrix<double>::InnerIterator e(near_, p); e; ++e)
                outT.col(p) += e.value() * weightsT.col(e.index());
            for (std::size_t l = 0; l < levels_.size(); ++l) {
                const Eigen::SparseMatrix<double>& onto =
                    coarse[l].size() ? coarse[l] : levels_[l].interpolation;
                for (Eigen::SparseMatrix<double>::InnerIterator e(onto, p); e; ++e)
                    outT.col(p) += e.value() * atNodes[l].col(e.index());
            }
        }
    });
    return outT;
}

std::vector<double> SampledTerms::sum(std::span<const double> weights) const
{
    std::vector<double> out(static_cast<std::size_t>(points_), 0.0);
    if (near_.size() == 0)
        return out;
    const Eigen::Map<const Eigen::VectorXd> w(weights.data(), static_cast<Eigen::Index>(weights.size()));
    Eigen::Map<Eigen::VectorXd> y(out.data(), points_);
    y = near_.transpose() * w;
    for (const Level& level : levels_) {
        const Eigen::VectorXd atNodes = level.tails.transpose() * w(level.rows);
        y += level.interpolation.transpose() * atNodes;
    }
    return out;
}

Eigen::MatrixXd evaluate_profile_columns(const std::vector<ProfileTerm>& terms, std::span<const int> row,
                                         const Eigen::MatrixXd& weights, const std::vector<double>& twoTheta)
{
    return SampledTerms(terms, row, weights.rows(), twoTheta).columns(weights);
}

namespace {

// A term's value and its derivatives with respect to x² and η, near part or smooth tail.
struct PartSlopes {
    double value, byX2, byEta;
};

PartSlopes near_part_slopes(double x2, double eta)
{
    const double lorentzian = 1 / (1 + x2), gaussian = std::exp2(-x2);
    const double parabola = kCap - kCurvature * x2;
    return {eta * (lorentzian - parabola) + (1 - eta) * gaussian,
            eta * (kCurvature - lorentzian * lorentzian) - (1 - eta) * kLn2 * gaussian, lorentzian - parabola - gaussian};
}

PartSlopes tail_slopes(double x2, double eta)
{
    const double s = smooth_tail(x2);
    const double slope = x2 >= kEdge2 ? -1 / ((1 + x2) * (1 + x2)) : -kCurvature;
    return {eta * s, eta * slope, s};
}

// The changes, transposed (directions × terms), so that one term's are contiguous.
struct ChangesT {
    Eigen::MatrixXd height, position, halfWidth, eta;
};

// Adds to `out` (a column of directions) the slope of height·part((x − position)/halfWidth, η).
template <class Column>
void add_part_slopes(const ProfileTerm& t, std::size_t index, double angle, const ChangesT& c,
                     PartSlopes (*part)(double, double), Column&& out)
{
    const auto i = static_cast<Eigen::Index>(index);
    const double x = (angle - t.position) / t.halfWidth;
    const PartSlopes s = part(x * x, t.eta);
    // d(x²) = −2x/w · d(position) − 2x²/w · d(width)
    const double byPosition = -2 * x / t.halfWidth * t.height * s.byX2;
    const double byWidth = -2 * x * x / t.halfWidth * t.height * s.byX2;
    out += s.value * c.height.col(i) + byPosition * c.position.col(i) + byWidth * c.halfWidth.col(i) +
           t.height * s.byEta * c.eta.col(i);
}

}  // namespace

Eigen::MatrixXd evaluate_profile_slopes(const std::vector<ProfileTerm>& terms, const TermChanges& changes,
                                        const std::vector<double>& twoTheta, int coarserTails)
{
    const Eigen::Index directions = changes.height.cols();
    Eigen::MatrixXd outT = Eigen::MatrixXd::Zero(directions, static_cast<Eigen::Index>(twoTheta.size()));
    if (twoTheta.empty() || terms.empty())
        return outT.transpose();
    const ChangesT c{changes.height.transpose(), changes.position.transpose(), changes.halfWidth.transpose(),
                     changes.eta.transpose()};
    parallel_for(static_cast<int>(twoTheta.size()), [&](int begin, int end) {
        const auto first = twoTheta.begin() + begin, last = twoTheta.begin() + end;
        for (std::size_t n = 0; n < terms.size(); ++n) {
            const ProfileTerm& t = terms[n];
            const auto [low, high] = near_window(t, first, last);
            for (auto p = low; p != high; ++p) {
                const double x = (*p - t.position) / t.halfWidth;
                if (x * x < kEdge2)
                    add_part_slopes(t, n, *p, c, near_part_slopes, outT.col(p - twoTheta.begin()));
            }
        }
    });
    // A term without a Lorentzian part has no tail, but one that gains it along a direction does.
    const double start = twoTheta.front();
    const double range = twoTheta.back() - start;
    const int maxLevel = std::min(kMaxLevel, static_cast<int>(std::ceil(std::log2(double(twoTheta.size())))) + 2);
    std::map<int, std::vector<std::size_t>> levels;
    for (std::size_t n = 0; n < terms.size(); ++n)
        if (terms[n].eta != 0 || !c.eta.col(static_cast<Eigen::Index>(n)).isZero(0))
            levels[range > 0 ? std::max(1, level_of(terms[n], range, maxLevel) - std::max(coarserTails, 0))
                             : 1]
                .push_back(n);
    for (const auto& [k, members] : levels) {
        if (!(range > 0)) {
            for (const std::size_t n : members)
                add_part_slopes(terms[n], n, start, c, tail_slopes, outT.col(0));
            continue;
        }
        // The four slopes of every member at the nodes, then all directions at once as one product.
        const auto count = static_cast<int>((std::size_t{1} << k) + 1);
        const double spacing = range / static_cast<double>(std::size_t{1} << k);
        const auto size = static_cast<Eigen::Index>(members.size());
        Eigen::MatrixXd along(directions, 4 * size);
        for (Eigen::Index m = 0; m < size; ++m) {
            const auto n = static_cast<Eigen::Index>(members[static_cast<std::size_t>(m)]);
            along.col(4 * m) = c.height.col(n);
            along.col(4 * m + 1) = c.position.col(n);
            along.col(4 * m + 2) = c.halfWidth.col(n);
            along.col(4 * m + 3) = c.eta.col(n);
        }
        // Made in fixed blocks of nodes, each by one thread, so that the slopes at a block's nodes
        // stay in the cache for their product.
        constexpr int kNodeBlock = 64;
        Eigen::MatrixXd nodes(directions, count);
        parallel_items((count + kNodeBlock - 1) / kNodeBlock, [&](int block) {
            const int first = block * kNodeBlock, width = std::min(kNodeBlock, count - first);
            Eigen::MatrixXd bases(4 * size, width);
            for (int b = 0; b < width; ++b)
                for (Eigen::Index m = 0; m < size; ++m) {
                    const ProfileTerm& t = terms[members[static_cast<std::size_t>(m)]];
                    const double x = (start + (first + b) * spacing - t.position) / t.halfWidth;
                    const PartSlopes s = tail_slopes(x * x, t.eta);
                    bases(4 * m, b) = s.value;
                    bases(4 * m + 1, b) = -2 * x / t.halfWidth * t.height * s.byX2;
                    bases(4 * m + 2, b) = -2 * x * x / t.halfWidth * t.height * s.byX2;
                    bases(4 * m + 3, b) = t.height * s.byEta;
                }
            nodes.middleCols(first, width).noalias() = along * bases;
        });
        for (std::size_t j = 0; j < twoTheta.size(); ++j) {
            const double u = (twoTheta[j] - start) / spacing;
            const int i = std::clamp(static_cast<int>(std::floor(u)), 0, count - 2);
            const double f = u - i;
            outT.col(static_cast<Eigen::Index>(j)) += nodes.col(i) * (1 - f) + nodes.col(i + 1) * f;
        }
    }
    return outT.transpose();
}

std::vector<double> uniform_grid(double first, double last, double step)
{
    std::vector<double> grid;
    if (!(step > 0) || !(last >= first))
        return grid;
    const double count = std::floor((last - first) / step + 1e-9) + 1;
    if (count > 5e7)
        return grid;
    grid.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i)
        grid.push_back(first + static_cast<double>(i) * step);
    return grid;
}

std::vector<double> calculated_pattern_at(const Workspace& workspace, const std::vector<double>& twoTheta)
{
    const CalculatedPattern& picture = workspace.results.pattern;
    if (picture.pointCount == 0)
        return {};
    std::vector<double> values = evaluate_profile_terms(profile_terms(workspace), twoTheta);
    for (double& v : values)
        v *= picture.scale;
    return values;
}

bool fill_pattern_grid(Workspace& workspace, double step)
{
    GridPattern& grid = workspace.results.grid;
    grid = {};
    std::vector<double> points = uniform_grid(workspace.model.twoTheta1, workspace.model.twoTheta2, step);
    if (points.empty() || workspace.results.pattern.pointCount == 0)
        return false;
    grid.intensity = calculated_pattern_at(workspace, points);
    grid.twoTheta = std::move(points);
    return true;
}

}  // namespace kalidos
