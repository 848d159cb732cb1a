// Indexing: the cells that explain a list of line positions, searched from cubic down to triclinic
// by successive dichotomy, refined with the zero error, told apart by their lattice centring, shown
// once per lattice (Niggli-reduced), ranked by de Wolff's M20 and given an extinction symbol. A
// whole-pattern fit (Le Bail) may check the best of them and rank them again by its Rwp.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "indexing/cell_fit.hpp"
#include "indexing/observed_lines.hpp"
#include "indexing/quadratic_form.hpp"

namespace kalidos {

// A cell is convincing at this M20 (with no more unindexed lines than allowed); lower systems are
// then searched only for cells no larger than it.
inline constexpr double kConvincingM20 = 20;

struct FoundCell {
    CellFit fit;          // the conventional cell, its centring, zero, indexing and figures
    double volume = 0;    // Å³ of the conventional cell
    UnitCell reduced;     // the Niggli cell of the lattice (primitive)
    std::string extinctionSymbol;  // e.g. "P 1 21/c 1"; the lattice letter and dashes when nothing more is seen
    std::optional<double> rwp;     // of the whole-pattern check, when one was made

    LatticeSystem system() const { return fit.system; }
    char centring() const { return fit.centring; }
    std::string system_name() const { return kalidos::system_name(fit.system, fit.centring); }
};

// A whole-pattern fit of a candidate cell: its Rwp, or nothing when the fit could not be made.
using WholePatternCheck = std::function<std::optional<double>(const FoundCell&)>;

struct IndexingSettings {
    double tolerance = 0.03;         // degrees 2θ: how far a line may lie from its reflection
    double zeroRange = 0.1;          // degrees 2θ: a zero error within ±zeroRange is looked for
    int allowedMissing = 2;          // unindexed lines allowed among the searched ones (impurities)
    std::size_t searchedLines = 20;  // the first lines the search must index
    double maxVolume = 0;            // Å³ of a searched cell; 0: from the lines (see find_cells)
    std::array<bool, kLatticeSystems> systems{true, true, true, true, true, true};
    std::size_t listed = 10;         // cells listed
    // Seconds of processor time for the whole search, each system stopping at its share (the highest
    // symmetries at the smallest); 0: none.
    double timeLimit = 0;
    std::function<bool()> cancelled; // asked now and then; true stops the search
    // Told which system the search has reached.
    std::function<void(LatticeSystem)> progress;
    WholePatternCheck wholePatternCheck;  // unset: no cell gets an Rwp
    std::size_t checked = 5;         // the best cells given to wholePatternCheck
};

struct SystemSearch {
    LatticeSystem system = LatticeSystem::Cubic;
    bool searched = false;
    bool complete = true;     // false: stopped by the time limit or cancelled
    double maxVolume = 0;     // Å³ searched
    std::size_t boxes = 0;    // of the dichotomy
    std::size_t solutions = 0;
    double seconds = 0;
};

struct IndexingResult {
    std::vector<FoundCell> cells;       // best first
    std::vector<SystemSearch> searches; // one per system, cubic first
    std::vector<std::string> notes;     // what the reader should know (a search stopped, ...)
};

// The largest cell volume worth searching in `system` for these lines: beyond it the cell would
// calculate so many lines up to the 20th observed that M20 could not reach 5 (10 for the cubic,
// tetragonal and hexagonal systems) with the errors the tolerance allows.
double largest_useful_volume(LatticeSystem system, const IndexingLines& lines, const IndexingSettings& settings);

// The whole indexing. The lines must be sorted (indexing_lines makes them).
IndexingResult find_cells(const IndexingLines& lines, const IndexingSettings& settings);

// The first `checked` cells given an Rwp by `fit` and ranked by it (a cell the fit could not make
// after those it could; a cell passes the one above it only with an Rwp below 0.8 of its), the
// rest left below them as they were. find_cells makes this call with the
// settings' wholePatternCheck; a caller may make it again on a result with a fit of its own.
void rerank_by_fit(std::vector<FoundCell>& cells, const WholePatternCheck& fit, std::size_t checked);

// The longest axis searched in each system, Å.
double longest_axis(LatticeSystem system);

// A system is searched only with this many lines for each of its free parameters (the terms of its
// form and the zero error): with fewer, a low symmetry indexes any list in countless ways.
inline constexpr int kLinesPerParameter = 3;
std::size_t fewest_lines(LatticeSystem system);

}  // namespace kalidos
