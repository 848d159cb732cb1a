// A trial cell made to index the lines: the reflections it calculates, each line given the nearest,
// the form's terms and the zero error refined by least squares on the indexed lines, and the
// figures of merit of de Wolff (M20, J. Appl. Cryst. 1 (1968) 108) and of Smith & Snyder (F_N,
// J. Appl. Cryst. 12 (1979) 60).
#pragma once

#include <vector>

#include "indexing/observed_lines.hpp"
#include "indexing/quadratic_form.hpp"

namespace kalidos {

// One line of the calculated pattern: a value of Q, with a reflection of the lattice giving it.
struct CalculatedLine {
    double q = 0;  // Å⁻²
    Hkl hkl;
};

// Every reflection the lattice (the terms and the centring) allows up to qMax, those of equal form
// once, by increasing Q.
std::vector<CalculatedLine> calculated_lines(LatticeSystem system, const FormTerms& terms, char centring, double qMax);

// The number of different Q values (within a part in 10⁸) of `lines` up to `q`.
int distinct_lines_up_to(const std::vector<CalculatedLine>& lines, double q);

struct FitSettings {
    double tolerance = 0.03;      // degrees 2θ: a line farther from every reflection is not indexed
    double zeroRange = 0;         // degrees 2θ: the refined zero error must stay within ±zeroRange
    std::size_t searchedLines = 20;  // M20's lines, among which at most allowedMissing go unindexed
    int allowedMissing = 0;
};

struct CellFit {
    LatticeSystem system = LatticeSystem::Triclinic;
    char centring = 'P';
    FormParameters parameters{};
    double zero = 0;               // degrees 2θ: observed 2θ = calculated 2θ + zero
    UnitCell cell;
    std::vector<Hkl> hkl;           // per line
    std::vector<double> twoThetaCalculated;  // per line, degrees (the line's 2θ minus zero when not indexed)
    std::vector<char> indexed;      // per line
    int unindexedSearched = 0;      // among the first searchedLines
    int unindexed = 0;              // among all
    double m20 = 0;                 // M(N) with N the lines searched when fewer than 20
    int m20Lines = 0;
    int m20Calculated = 0;          // different calculated lines up to the last of them
    double fn = 0;                  // F_N over every line
    double fnMeanDelta = 0;         // degrees 2θ
    int fnPossible = 0;
    int fnLines = 0;
    int indexedCount = 0;           // lines indexed, all of them
    int freeParameters = 0;         // terms and zero refined
    double mAll = 0;                // de Wolff's figure over every line
    // The evidence for the cell: (lines indexed − free parameters)·ln M(all) + unindexed·ln(impurity
    // odds). Each indexed line beyond those the refinement uses up is M times likelier on the cell than
    // at random; each unindexed one must be an impurity.
    double evidence = 0;
    double score() const { return evidence; }
};

// The odds of a line of the list belonging to another phase, which each unindexed line costs.
inline constexpr double kImpurityOdds = 0.02;

// Indexes the lines with the cell of `parameters` and `zero`, refines both on the indexed lines
// (the zero only when the lines are measured in 2θ and zeroRange > 0) and indexes again, a few times.
// False when the cell is not a lattice, the zero leaves its range or more than allowedMissing of
// the searched lines stay unindexed.
bool fit_cell(LatticeSystem system, char centring, const FormParameters& parameters, double zero,
              const IndexingLines& lines, const FitSettings& settings, CellFit& fit);

// A fitted cell's unindexed lines (every one, searched or not) that lie within twice the tolerance
// of a reflection, each indexed when a cell and zero of the smallest largest distance place it and
// the lines indexed within the tolerance (the least squares' centre may leave a line just beyond
// it); the cell and its figures then follow. False, `fit` unchanged, when no line is gained or the
// lines gained lower the cell's evidence (its score).
bool place_unindexed_lines(const IndexingLines& lines, const FitSettings& settings, CellFit& fit);

// The least-squares step alone: the terms, and the zero error within ±zeroLimit (0: held), that
// best place the lines marked in `use` in 2θ on the forms of their indices, refined from the values
// given. False when those lines do not determine them.
bool solve_terms(LatticeSystem system, const std::vector<Hkl>& hklOfLine, const std::vector<char>& use,
                 const IndexingLines& lines, double zeroLimit, FormParameters& parameters, double& zero);
// The same with a weight per line (of every line, those not marked in `use` ignored).
bool solve_weighted_terms(LatticeSystem system, const std::vector<Hkl>& hklOfLine, const std::vector<char>& use,
                          const std::vector<double>& weightOfLine, const IndexingLines& lines, double zeroLimit,
                          FormParameters& parameters, double& zero);

}  // namespace kalidos
