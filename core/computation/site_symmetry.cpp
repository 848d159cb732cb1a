#include "computation/site_symmetry.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace kalidos {
namespace {

using Point = std::array<double, 3>;

constexpr double kExact = 1e-6;            // rotation entries, and a site on its special position
constexpr double kSameTranslation = 1e-3;  // translations of a table written to a few decimals
constexpr double kSameImage = 2e-4;        // images of a site on its special position

struct Op {
    double r[3][3];
    Point t;
};

// std::round (halves away from zero, the sign of v kept) without a library call: the whole part
// and the remainder below 2^52 are exact, so every result is bit for bit std::round's.
inline double nearest(double v)
{
    if (!(std::fabs(v) < 0x1p52))
        return std::round(v);  // already whole, or not a number
    double whole = static_cast<double>(static_cast<std::int64_t>(v));
    if (std::fabs(v - whole) >= 0.5)
        whole += v > 0 ? 1.0 : -1.0;
    return std::copysign(whole, v);
}

// The whole number nearest v, ties to even, for |v| < 2^51: added to 1.5·2^52, v is rounded to
// whole units, and taking that away again is exact.
inline double whole_even(double v)
{
    constexpr double kShift = 0x1.8p52;
    return (v + kShift) - kShift;
}

// |v - std::round(v)|, bit for bit: only ties round elsewhere, and they lie 0.5 away either way.
inline double off_whole(double v)
{
    return std::fabs(v) < 0x1p51 ? std::fabs(v - whole_even(v)) : std::fabs(v - nearest(v));
}

Op from_table(const SymmetryOperator& s)
{
    Op op{};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            op.r[i][j] = s.m[i][j];
        op.t[static_cast<std::size_t>(i)] = s.m[i][3];
    }
    return op;
}

inline Point apply(const Op& op, const Point& p)
{
    Point q{};
    for (std::size_t i = 0; i < 3; ++i)
        q[i] = op.r[i][0] * p[0] + op.r[i][1] * p[1] + op.r[i][2] * p[2] + op.t[i];
    return q;
}

Op product(const Op& a, const Op& b)
{
    Op c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k)
                c.r[i][j] += a.r[i][k] * b.r[k][j];
    c.t = apply(a, b.t);
    return c;
}

// Equal modulo whole cell translations.
inline bool same(const Op& a, const Op& b)
{
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            if (std::fabs(a.r[i][j] - b.r[i][j]) > kExact)
                return false;
        if (off_whole(a.t[static_cast<std::size_t>(i)] - b.t[static_cast<std::size_t>(i)]) > kSameTranslation)
            return false;
    }
    return true;
}

// The operator moved by the whole cell translation that brings its image of p nearest to p.
Op lifted(const Op& op, const Point& p)
{
    Op near = op;
    const Point image = apply(op, p);
    for (std::size_t i = 0; i < 3; ++i)
        near.t[i] += nearest(p[i] - image[i]);
    return near;
}

inline double max_abs(const Point& v)
{
    return std::max(std::max(std::fabs(v[0]), std::fabs(v[1])), std::fabs(v[2]));
}

inline Point minus(const Point& a, const Point& b)
{
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

Point cross(const Point& a, const Point& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const Point& a, const Point& b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The smallest largest-component of d + c·u over all c: the optimum lies where two components
// (or one component and zero) are equal in size.
double line_distance(const Point& d, const Point& u)
{
    double best = max_abs(d);
    const auto try_c = [&](double c) {
        best = std::min(best, max_abs({d[0] + c * u[0], d[1] + c * u[1], d[2] + c * u[2]}));
    };
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::fabs(u[i]) > kExact)
            try_c(-d[i] / u[i]);
        for (std::size_t j = i + 1; j < 3; ++j)
            for (const double s : {1.0, -1.0})
                if (std::fabs(u[i] - s * u[j]) > kExact)
                    try_c(-(d[i] - s * d[j]) / (u[i] - s * u[j]));
    }
    return best;
}

// Distance along the axes (the largest component) from p to the nearest point that `near`, an
// operator lifted to p, leaves in place; a negative value when it leaves none (a screw or glide
// part). `image` is near(p).
double fixed_point_distance(const Op& near, const Point& p, Point image)
{
    // A rotation brings p back after at most 6 steps, and the mean of the images on the way is
    // one of its fixed points; a screw or glide never brings it back.
    Point sum = p;
    int order = 1;
    while (max_abs(minus(image, p)) > kSameTranslation) {
        if (++order > 6)
            return -1;
        for (std::size_t i = 0; i < 3; ++i)
            sum[i] += image[i];
        image = apply(near, image);
    }
    Point mean{};
    for (std::size_t i = 0; i < 3; ++i)
        mean[i] = sum[i] / order;
    const Point d = minus(mean, p);
    // The fixed points are mean + the null space of R - 1.
    Point rows[3];
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            rows[i][j] = near.r[i][j] - (i == j ? 1.0 : 0.0);
    if (std::fabs(dot(rows[0], cross(rows[1], rows[2]))) > kExact)
        return max_abs(d);  // a single fixed point
    for (const auto& [a, b] : {std::pair{0, 1}, std::pair{0, 2}, std::pair{1, 2}}) {
        const Point axis = cross(rows[a], rows[b]);
        if (max_abs(axis) > kExact)
            return line_distance(d, axis);  // a rotation axis
    }
    for (const Point& normal : rows) {
        const double norm = std::fabs(normal[0]) + std::fabs(normal[1]) + std::fabs(normal[2]);
        if (norm > kExact)
            return std::fabs(dot(normal, d)) / norm;  // a mirror plane
    }
    return 0;  // the identity, or a pure translation brought back to the identity
}

// The largest row sum of |R - 1| when R is whole in [-7, 7] (as lattice operators have it), else -1.
double stretch(const Op& op)
{
    double largest = 0;
    for (int i = 0; i < 3; ++i) {
        double row = 0;
        for (int j = 0; j < 3; ++j) {
            const double v = op.r[i][j];
            if (!(std::fabs(v) <= 7 && v == whole_even(v)))
                return -1;
            row += std::fabs(v - (i == j ? 1.0 : 0.0));
        }
        largest = std::max(largest, row);
    }
    return largest;
}

// Whether `op` (of whole rotation R with `stretch` ‖R - 1‖) moves p too far to leave any point
// within `tolerance` of p in place, so that fixed_point_distance need not be followed. Lifted to
// p, should its orbit return after k ≥ 2 steps (k = 1 moves p by kSameTranslation at most), with
// the mean g of the orbit, near(p) - p = (R - 1)(p - g - c·u) + (near^k(p) - p)/k for every c and
// every u with R·u = u, and so ‖near(p) - p‖ ≤ ‖R - 1‖·distance + kSameTranslation. near(p) - p
// is op(p) - p brought to the nearest whole cell.
bool moves_too_far(const Op& op, double stretch, const Point& p, double tolerance)
{
    constexpr double kRounding = 1e-9;  // far above the rounding of coordinates below 1000
    if (stretch < 0 || !(max_abs(p) < 1e3))
        return false;
    const Point image = apply(op, p);
    if (!(max_abs(image) < 1e3 * (stretch + 2)))  // a translation of thousands of cells
        return false;
    const double moved = max_abs({off_whole(image[0] - p[0]), off_whole(image[1] - p[1]), off_whole(image[2] - p[2])});
    return moved > stretch * (tolerance + kRounding) + kSameTranslation + 2 * kRounding;
}

// The operators of the table with their stretch, a negative one where the shortcut is not proven.
struct Operators {
    std::vector<Op> ops;
    std::vector<double> stretches;
};

bool fixes(const Operators& table, std::size_t i, const Point& p, double tolerance)
{
    if (moves_too_far(table.ops[i], table.stretches[i], p, tolerance))
        return false;
    const Op near = lifted(table.ops[i], p);
    const double distance = fixed_point_distance(near, p, apply(near, p));
    return distance >= 0 && distance <= tolerance;
}

// Rotation entries all within kExact of whole numbers in [-7, 7] make a key of 4 bits an entry.
// Two such operators can be `same` only when their keys are equal (their entries lie within
// 3·kExact of each other's whole numbers); an operator without a key may be `same` as any other.
constexpr std::uint64_t kNoKey = ~std::uint64_t{0};

std::uint64_t rotation_key(const Op& op)
{
    std::uint64_t key = 0;
    for (const auto& row : op.r)
        for (const double v : row) {
            const double whole = whole_even(v);
            if (!(std::fabs(v - whole) <= kExact && std::fabs(whole) <= 7))
                return kNoKey;
            key = key << 4 | static_cast<std::uint64_t>(static_cast<int>(whole) + 8);
        }
    return key;
}

// Operators in the order they were added, found again by rotation key: the `contains` of a
// closure in about one comparison instead of one per element.
class OpSet {
public:
    explicit OpSet(std::size_t expected) : slots_(std::bit_ceil(4 * expected + 4), Slot{kNoKey, -1})
    {
        ops_.reserve(2 * expected);
        next_.reserve(2 * expected);
    }
    std::size_t size() const { return ops_.size(); }
    const Op& operator[](std::size_t i) const { return ops_[i]; }
    std::vector<Op> release() { return std::move(ops_); }

    bool contains(const Op& op, std::uint64_t key) const
    {
        const auto same_as_op = [&](int at) { return same(ops_[static_cast<std::size_t>(at)], op); };
        if (key == kNoKey)
            return std::any_of(ops_.begin(), ops_.end(), [&](const Op& o) { return same(o, op); });
        for (int at = slots_[find(key)].first; at >= 0; at = next_[static_cast<std::size_t>(at)])
            if (same_as_op(at))
                return true;
        return std::any_of(keyless_.begin(), keyless_.end(), same_as_op);
    }

    void add(const Op& op, std::uint64_t key)
    {
        const int at = static_cast<int>(ops_.size());
        ops_.push_back(op);
        next_.push_back(-1);
        if (key == kNoKey) {
            keyless_.push_back(at);
            return;
        }
        if (2 * (ops_.size() + 1) > slots_.size())
            grow();
        Slot& slot = slots_[find(key)];
        next_.back() = slot.first;  // chains run newest first: `contains` only asks whether any is same
        slot = {key, at};
    }

private:
    struct Slot {
        std::uint64_t key;
        int first;
    };

    std::size_t find(std::uint64_t key) const
    {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15u) >> 32) & mask;
        while (slots_[i].first >= 0 && slots_[i].key != key)
            i = (i + 1) & mask;
        return i;
    }

    void grow()
    {
        std::vector<Slot> old(2 * slots_.size(), Slot{kNoKey, -1});
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.first >= 0)
                slots_[find(slot.key)] = slot;
    }

    std::vector<Op> ops_;
    std::vector<int> next_;     // the previous operator with the same key, or -1
    std::vector<int> keyless_;  // operators with no key, compared with every candidate
    std::vector<Slot> slots_;   // open addressing on the key, a power of two in size
};

// The operators and all their products, modulo whole cell translations (at most `limit` of them,
// so that a table that is no group cannot make it grow without end).
std::vector<Op> closure(const std::vector<Op>& operators, std::size_t limit)
{
    OpSet group(operators.size());
    for (const Op& op : operators)
        group.add(op, rotation_key(op));
    const auto add_new = [&](const Op& candidate) {
        const std::uint64_t key = rotation_key(candidate);
        if (!group.contains(candidate, key))
            group.add(candidate, key);
    };
    for (std::size_t i = 0; i < group.size() && group.size() <= limit; ++i)
        for (std::size_t j = 0; j <= i; ++j) {
            // Both products are made before either is added, as the indices may move the storage.
            const Op left = product(group[i], group[j]);
            const Op right = product(group[j], group[i]);
            add_new(left);
            if (j != i)  // the square twice: the second is the first, found at once
                add_new(right);
        }
    return group.release();
}

// Positions in the table of the operators leaving p in place within `tolerance`.
std::vector<std::size_t> fixing_positions(const Operators& table, const Point& p, double tolerance)
{
    std::vector<std::size_t> fixing;
    for (std::size_t i = 0; i < table.ops.size(); ++i)
        if (fixes(table, i, p, tolerance))
            fixing.push_back(i);
    return fixing;
}

// A closure depends on its operators and limit alone, and the atoms of a structure often share
// their site symmetry (the body centre and the origin of a cubic cell, or the atoms of one site):
// the last closures made on this thread are kept, found again by the bits of their operators.
std::vector<Op> remembered_closure(const std::vector<Op>& operators, std::size_t limit)
{
    constexpr std::size_t kWorthKeeping = 8;  // smaller closures cost less than a look-up
    if (operators.size() < kWorthKeeping)
        return closure(operators, limit);
    struct Entry {
        std::vector<Op> operators;
        std::size_t limit = 0;
        std::vector<Op> group;
    };
    thread_local std::array<Entry, 8> kept;
    thread_local std::size_t oldest = 0;
    for (const Entry& entry : kept)
        if (entry.limit == limit && entry.operators.size() == operators.size() &&
            std::memcmp(entry.operators.data(), operators.data(), operators.size() * sizeof(Op)) == 0)
            return entry.group;
    Entry& entry = kept[oldest];
    oldest = (oldest + 1) % kept.size();
    entry = {operators, limit, closure(operators, limit)};
    return entry.group;
}

// Those of `among` that leave p in place within `tolerance`.
std::vector<std::size_t> fixing_among(const Operators& table, const std::vector<std::size_t>& among, const Point& p,
                                      double tolerance)
{
    std::vector<std::size_t> fixing;
    for (const std::size_t i : among)
        if (fixes(table, i, p, tolerance))
            fixing.push_back(i);
    return fixing;
}

std::vector<Op> stabiliser(const Operators& table, const std::vector<std::size_t>& fixing)
{
    std::vector<Op> ops;
    ops.reserve(fixing.size());
    for (const std::size_t i : fixing)
        ops.push_back(table.ops[i]);
    return remembered_closure(ops, table.ops.size());
}

// The common fixed point nearest p: the mean of p's images under the lifted operators.
Point centre(const std::vector<Op>& ops, const Point& p)
{
    Point sum{};
    for (const Op& op : ops) {
        const Point image = apply(lifted(op, p), p);
        for (std::size_t i = 0; i < 3; ++i)
            sum[i] += image[i];
    }
    for (double& v : sum)
        v /= static_cast<double>(ops.size());
    return sum;
}

inline bool same_image(const Point& a, const Point& b)
{
    return off_whole(a[0] - b[0]) <= kSameImage && off_whole(a[1] - b[1]) <= kSameImage &&
           off_whole(a[2] - b[2]) <= kSameImage;
}

// Images of p told apart modulo whole cell translations, the first of each kept. They are chained
// by the cell of x + 3y + 7z modulo 1: images the same within kSameImage along each axis have
// this sum within 11·kSameImage modulo 1 (whole numbers times whole numbers stay whole), less
// than a cell, so that an image is compared with those of its own and the two neighbouring cells.
// An image too far off for exact fractions of the sum is compared with all, and all with it.
class ImageSet {
public:
    explicit ImageSet(std::size_t expected)
    {
        images_.reserve(expected);
        next_.reserve(expected);
        last_.fill(-1);
    }
    std::size_t size() const { return images_.size(); }

    void add_if_new(const Point& image)
    {
        const int cell = cell_of(image);
        const auto seen = [&](int at) { return same_image(images_[static_cast<std::size_t>(at)], image); };
        if (std::any_of(far_.begin(), far_.end(), seen))
            return;
        if (cell < 0) {
            if (std::any_of(images_.begin(), images_.end(), [&](const Point& q) { return same_image(q, image); }))
                return;
        } else {
            for (const int neighbour : {cell + kCells - 1, cell, cell + 1})
                for (int at = last_[static_cast<std::size_t>(neighbour % kCells)]; at >= 0;
                     at = next_[static_cast<std::size_t>(at)])
                    if (seen(at))
                        return;
        }
        const int at = static_cast<int>(images_.size());
        images_.push_back(image);
        if (cell < 0) {
            next_.push_back(-1);
            far_.push_back(at);
        } else {
            next_.push_back(last_[static_cast<std::size_t>(cell)]);
            last_[static_cast<std::size_t>(cell)] = at;
        }
    }

private:
    static constexpr int kCells = 256;  // 1/256 above 11·kSameImage

    // -1 beyond 10^5 cells, where the fraction of the sum would lose digits the cells need.
    static int cell_of(const Point& image)
    {
        if (!(max_abs(image) < 1e5))
            return -1;
        const double sum = image[0] + 3 * image[1] + 7 * image[2];
        const int cell = static_cast<int>((sum - nearest(sum) + 0.5) * kCells);
        return std::clamp(cell, 0, kCells - 1);
    }

    std::vector<Point> images_;
    std::vector<int> next_;  // the previous image in the same cell, or -1
    std::vector<int> far_;
    std::array<int, kCells> last_{};
};

int distinct_images(const std::vector<Op>& group, const Point& p)
{
    ImageSet images(group.size());
    for (const Op& op : group)
        images.add_if_new(apply(op, p));
    return static_cast<int>(images.size());
}

}  // namespace

namespace {

Operators table_of(const std::vector<SymmetryOperator>& operators)
{
    Operators table;
    table.ops.reserve(operators.size());
    table.stretches.reserve(operators.size());
    for (const SymmetryOperator& s : operators) {
        table.ops.push_back(from_table(s));
        table.stretches.push_back(stretch(table.ops.back()));
    }
    return table;
}

struct SettledSite {
    Point site;
    std::vector<Op> fixing;  // the operators leaving it in place, closed under products
};

SettledSite settled_site(const Operators& table, Point site, double tolerance)
{
    std::vector<std::size_t> chosen = fixing_positions(table, site, tolerance);
    std::vector<Op> fixing = stabiliser(table, chosen);
    // On the common fixed point of those operators the whole site-symmetry group of that special
    // position shows: the site moves there until the group stops growing. The same operators
    // close to the same group, which cannot be larger.
    double searched = tolerance;  // the tolerance `chosen` was found with, at `site`
    for (int round = 0; round < 3; ++round) {
        const Point moved = centre(fixing, site);
        // A site that has not moved keeps its distances: only operators found within a wider
        // tolerance can be within kExact.
        std::vector<std::size_t> exact_chosen = std::memcmp(&moved, &site, sizeof site) == 0 && kExact <= searched
                                                    ? fixing_among(table, chosen, site, kExact)
                                                    : fixing_positions(table, moved, kExact);
        site = moved;
        searched = kExact;
        if (exact_chosen == chosen)
            break;
        std::vector<Op> exact = stabiliser(table, exact_chosen);
        if (exact.size() <= fixing.size())
            break;
        fixing = std::move(exact);
        chosen = std::move(exact_chosen);
    }
    return {site, std::move(fixing)};
}

}  // namespace

int site_multiplicity(const std::vector<SymmetryOperator>& operators, double x, double y, double z,
                      double tolerance)
{
    const Operators table = table_of(operators);
    return distinct_images(table.ops, settled_site(table, Point{x, y, z}, tolerance).site);
}

std::vector<SymmetryOperator> site_stabiliser(const std::vector<SymmetryOperator>& operators, double x, double y,
                                              double z, double tolerance)
{
    const Operators table = table_of(operators);
    std::vector<SymmetryOperator> group;
    for (const Op& op : settled_site(table, Point{x, y, z}, tolerance).fixing) {
        SymmetryOperator s;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j)
                s.m[i][j] = op.r[i][j];
            s.m[i][3] = op.t[static_cast<std::size_t>(i)];
        }
        group.push_back(s);
    }
    return group;
}

}  // namespace kalidos
