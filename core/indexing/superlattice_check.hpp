// Whether a cell's extra lines are more than chance. A cell whose calculated lines include every
// line of another (a superlattice, or a lower symmetry with the same lines split) indexes the
// other's unindexed lines by chance at a rate its extra lines set; unless it indexes clearly more of
// them, the other, simpler cell is the answer.
#pragma once

#include <vector>

#include "indexing/cell_fit.hpp"

namespace kalidos {

// Below this chance of its extra lines being indexed at random, the larger set of lines is preferred.
inline constexpr double kExtraLinesChance = 0.05;

// The 2θ (degrees, zero included) of every line the fitted cell calculates up to the last line of
// `lines` and the tolerance, ascending.
std::vector<double> calculated_angles(const CellFit& fit, const IndexingLines& lines, double tolerance);

// Whether every angle of `narrow` has one of `wide` within the tolerance.
bool holds_every_line(const std::vector<double>& wide, const std::vector<double>& narrow, double tolerance);

// The chance that the cell of `wideFit` indexes at random as many more lines than that of
// `narrowFit` as it does: its lines that `narrow` lacks cover a share p of the lines' range of 2θ
// (each ± the tolerance), and each line `narrowFit` leaves unindexed falls on one with probability
// p (Poisson). 1 when it indexes no more.
double chance_of_extra_lines(const CellFit& wideFit, const std::vector<double>& wide, const CellFit& narrowFit,
                             const std::vector<double>& narrow, const IndexingLines& lines, double tolerance);

}  // namespace kalidos
