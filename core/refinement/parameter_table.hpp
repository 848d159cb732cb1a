// Every parameter of a refinement's model, in one table with stable names, and how the constraints
// (lattice system, site symmetry, shared B, occupancy sums) tie some of them to others.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "fitting/least_squares.hpp"
#include "refinement/refinement.hpp"

namespace kalidos {

enum class Quantity {
    Zero, Displacement, WidthU, WidthV, WidthW, WidthX, WidthY, AxialSL, AxialHL, Transparency, Background,
    Scale, Cell, Size, Strain, MarchDollase, OverallB,
    Position, Biso, Occupancy, Tensor,
};

// value = its value when the tie was made + Σ coefficient·(master − master's value then).
struct Tie {
    int master = 0;  // row of the table
    double coefficient = 0;
};

struct ModelParameter {
    RefinementParameter info;
    Quantity quantity = Quantity::Zero;
    int atom = 0;       // 1-based row of the phase's atom table
    int component = 0;  // background term; cell 0..5 (a b c α β γ); position 0..2; tensor 0..5
    bool fixed = false;        // cannot change (symmetry, lattice); info.constraint says why
    std::vector<Tie> ties;     // not empty: follows its masters
    double lower = -1e300, upper = 1e300;
    // A bound a value may rest on as an answer (a scale of 0, a full site) is natural; a guard bound is
    // reached only by a fit that has left the region where the model means something (a cell 5 %
    // from where it started, a crystallite of 2 nm).
    bool guardLower = false, guardUpper = false;
    bool named = false;        // released by its own name rather than with its group
    double step = 1e-6;        // for the derivatives the model does not give
    double largestShift = 1e300;  // the most a cycle may move it
    bool analytic = false;     // the model gives its derivative
};

struct ParameterTable {
    std::vector<ModelParameter> rows;
    int find(const std::string& name) const;  // -1 when absent
};

// The solver's variable of a row at its value (a size's difference step is relative to it).
FreeVariable free_variable(const ModelParameter& row);

// The table of the request's phases with their current values; the constraints applied. Empty
// text, or why the request cannot be refined (an unknown atom in a constraint, an atom in two
// groups, a shared B on an anisotropic atom).
std::string build_parameter_table(const RefinementRequest& request, ParameterTable& table);

// The atom names of a phase as parameter names use them ("Al1"; "Al1#3" for a repeated name).
std::vector<std::string> atom_names(const StructureModel& model);

// Marks as released what the stages up to `stage` (0-based) name. Empty text, or why a name is
// refused: unknown, named twice, tied or fixed (with the reason), a group no phase has.
std::string release_stages(const RefinementRequest& request, std::size_t stage, ParameterTable& table,
                           std::vector<int>& released);

// A released size, strain or axial divergence at 0 has no slope to start from: these rows are given
// a usual value (`small`: one that barely changes the diagram).
void give_start_values(ParameterTable& table, const std::vector<int>& rows, bool small = false);

// Whether the row's value rests on a bound: −1 its lower, +1 its upper, 0 neither.
int on_bound(const ModelParameter& row);
// Whether it rests on a guard bound.
bool on_guard(const ModelParameter& row);

}  // namespace kalidos
