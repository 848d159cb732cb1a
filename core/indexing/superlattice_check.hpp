// Whether a larger cell's extra lines are more than chance: a cell whose lattice holds every
// reflection of a smaller one indexes the smaller one's unindexed lines by chance at a rate its extra
// reflections set; unless it indexes clearly more of them, the smaller cell is the answer.
#pragma once

#include <vector>

#include "indexing/cell_fit.hpp"

namespace kalidos {

// Below this chance of the extra lines being indexed at random, a superlattice is preferred.
inline constexpr double kSuperlatticeChance = 0.05;

// Whether every calculated line of `small` up to the last line is one of `large`'s (within a third of
// the tolerance), the two lattices being different.
bool holds_every_line(const CellFit& large, const CellFit& small, const IndexingLines& lines, double tolerance);

// The chance that `large` indexes, at random, as many more lines than `small` as it does: its
// reflections that `small` lacks cover a share p of the lines' range of 2θ (each ± the tolerance), and
// each line `small` leaves unindexed falls on one with probability p (Poisson).
double chance_of_extra_lines(const CellFit& large, const CellFit& small, const IndexingLines& lines, double tolerance);

// Reorders `cells` (best first) so that no superlattice stands above a cell whose lines it holds unless
// its extra lines are unlikely to be chance.
template <class Cell, class FitOf>
void rank_superlattices_after_sublattices(std::vector<Cell>& cells, FitOf fitOf, const IndexingLines& lines,
                                          double tolerance)
{
    // One superlattice moved below its sublattice at a time, then the list looked at again.
    const auto move_one = [&] {
        for (std::size_t i = 0; i < cells.size(); ++i)
            for (std::size_t j = i + 1; j < cells.size(); ++j) {
                const CellFit& large = fitOf(cells[i]);
                const CellFit& small = fitOf(cells[j]);
                if (!holds_every_line(large, small, lines, tolerance) ||
                    chance_of_extra_lines(large, small, lines, tolerance) < kSuperlatticeChance)
                    continue;
                Cell moved = std::move(cells[i]);
                cells.erase(cells.begin() + static_cast<long>(i));
                cells.insert(cells.begin() + static_cast<long>(j), std::move(moved));
                return true;
            }
        return false;
    };
    for (std::size_t rounds = 0; rounds < cells.size() * cells.size() && move_one(); ++rounds) {
    }
}

}  // namespace kalidos
