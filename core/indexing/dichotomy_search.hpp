// The search of the cells of one lattice system that index a set of lines, by successive dichotomy
// (Louër & Louër, J. Appl. Cryst. 5 (1972) 271; Boultif & Louër, J. Appl. Cryst. 24 (1991) 987 and
// 37 (2004) 724). The free terms of the quadratic form (and the zero error) span a box; over a box
// each form's Q lies in an interval, and a box is kept only while every line but the allowed
// impurities falls in the interval of some form. Kept boxes are halved until each line has one form
// left (or the box is as narrow as the data's precision): a leaf, refined by the caller.
//
// The terms are searched in the reduced settings: orthorhombic A ≥ B ≥ C (a ≤ b ≤ c); monoclinic
// (b unique) the a*c* net reduced, 0 ≤ E ≤ A ≤ C (90° ≤ β ≤ 120°); triclinic the Buerger-reduced
// reciprocal cell, A ≤ B ≤ C, |D| ≤ B, |E| ≤ A, |F| ≤ A, D E F of one sign. Each reflection index of
// a reduced net or cell is bounded by the form's value (h² ≤ 2Q/A ...), which keeps the boxes of the
// first halvings from holding every form.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "indexing/observed_lines.hpp"
#include "indexing/quadratic_form.hpp"

namespace kalidos {

// No crystal repeats itself over less than this (the shortest translations known, in beryllium and
// graphite, are near 2.3 Å): cells with a shorter edge are not searched.
inline constexpr double kShortestAxis = 2.0;

struct DichotomySettings {
    double tolerance = 0.03;    // degrees 2θ: the largest distance of a line from its reflection
    double zeroRange = 0;       // degrees 2θ: the zero error is looked for within ±zeroRange
    double longestAxis = 25;    // Å: the largest spacing of the axial planes (h00, 0k0, 00l) searched
    double shortestAxis = kShortestAxis;  // Å: no cell has a shorter edge
    double maxVolume = 0;       // Å³ of the searched (primitive-setting) cell; 0: no limit
    double minVolume = 0;       // Å³: smaller cells are left out (searched in an earlier shell)
    int allowedMissing = 0;     // lines a cell may leave unindexed
    std::size_t lineCount = 20; // the first lines searched
    std::size_t nodeBudget = 0; // boxes examined at most; 0: no limit
};

struct DichotomyLeaf {
    FormParameters parameters{};  // the centre of the box
    double zero = 0;              // the centre of its zero range
    std::vector<int> classOfLine; // per line searched: an index of classes(), -1 for none
};

class DichotomySearch {
public:
    DichotomySearch(LatticeSystem system, const IndexingLines& lines, const DichotomySettings& settings);

    // Searches the whole box; `leaf` is called for each leaf. `stop` is asked now and then; false
    // when it stopped the search or the node budget ran out.
    bool run(const std::function<void(const DichotomyLeaf&)>& leaf, const std::function<bool()>& stop);

    const std::vector<IndexClass>& classes() const { return classes_; }
    std::size_t nodes() const { return nodes_; }

private:
    struct Box {
        FormParameters lo{}, hi{};
        double zeroLo = 0, zeroHi = 0;
    };
    // The reflections left to each line: its own list filtered here, or (a long list not filtered
    // at this depth) an ancestor's, which outlives this level.
    struct Level {
        std::vector<int> candidates;  // the lists filtered here, one after the other
        std::vector<const int*> first, last;
        std::vector<char> owned;      // line i's list lies in `candidates`
        std::vector<char> missing;
        std::size_t count(std::size_t i) const { return static_cast<std::size_t>(last[i] - first[i]); }
    };

    struct Verdict {
        bool alive = true;    // no more lines unindexed than allowed
        bool unique = true;   // one reflection left for each line
        bool precise = true;  // the box as narrow as the data's precision
        int missing = 0;
    };

    void make_classes(double qTop, double smallestTerm);
    // The largest value term j may take for no edge to be shorter than shortestAxis.
    double largest_term(std::size_t j) const;
    // The box cut to the system's reduced setting; false when nothing of it is left.
    bool tighten(Box& box) const;
    bool volume_allows(const Box& box) const;
    void examine(Box box, std::size_t depth);
    Verdict filter_lines(const Box& box, const Level& parent, Level& child, bool every) const;
    // The smallest box holding every point of `box` at which line i lies on one of its reflections;
    // false when there is none.
    bool line_hull(const Box& box, std::size_t line, const Level& level, Box& hull) const;
    // Narrows `box` to what the lines with few reflections allow; false when nothing is left.
    bool contract(Box& box, const Level& level, int missing) const;
    // The share of the box's size that is left.
    double narrowing(const Box& before, const Box& after) const;
    bool filter_line(const Box& box, std::size_t line, const Level& parent, Level& child, double& widest) const;
    void point_to_lists(Level& level, const std::vector<std::size_t>& offsets) const;
    bool determined(const Level& level) const;
    void report_leaf(const Box& box, const Level& level);
    int split_dimension(const Box& box, const Level& level) const;

    LatticeSystem system_;
    int terms_ = 0;
    DichotomySettings settings_;
    std::vector<double> twoTheta_, slope_;
    double wavelength_ = 0;
    std::vector<IndexClass> classes_;
    std::vector<std::array<double, kMaxParameters>> f_;  // the classes' coefficients as reals
    std::vector<Level> levels_;
    Level scratch_;
    // Working space of the box being examined: where each line may lie in Q, and the bounds the
    // lines set, kept between boxes so that no box allocates.
    mutable std::vector<double> qLow_, qHigh_;
    mutable std::vector<std::size_t> offsets_;
    mutable std::array<std::vector<double>, kMaxParameters + 1> lows_, highs_;
    std::vector<Box> roots_;
    const std::function<void(const DichotomyLeaf&)>* leaf_ = nullptr;
    const std::function<bool()>* stop_ = nullptr;
    std::size_t nodes_ = 0;
    bool stopped_ = false;
};

}  // namespace kalidos
