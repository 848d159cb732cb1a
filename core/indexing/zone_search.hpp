// The search of low-symmetry lattices by zones (Ito, Nature 164 (1949) 755; de Wolff, Acta Cryst.
// 10 (1957) 590 and 11 (1958) 664; Visser, J. Appl. Cryst. 2 (1969) 89). Two reciprocal vectors
// a*, b* taken from the low-angle lines (or a quarter of one, for a row whose odd orders are absent)
// span a zone when a pair of lines lies at Q(a* + b*) and Q(a* − b*):
//     Q(a* + b*) + Q(a* − b*) = 2 (Qa + Qb),   Q(a* + b*) − Q(a* − b*) = 4 a*·b*.
// The zones that index most lines beyond chance are joined in pairs that share a row; the last
// product of the lattice is the value the other lines agree on. Unlike the dichotomy, whose cost
// grows with the volume searched and the number of free terms, the cost here grows only with the
// number of lines, which makes it the search for large monoclinic and triclinic cells.
#pragma once

#include <functional>
#include <vector>

#include "indexing/observed_lines.hpp"
#include "indexing/unit_cell.hpp"

namespace kalidos {

struct ZoneSettings {
    double tolerance = 0.03;     // degrees 2θ: the largest distance of a line from its reflection
    double zeroRange = 0;        // degrees 2θ: the zero error the relations must allow
    double maxVolume = 0;        // Å³ of the primitive cell; 0: no limit
    double minAxis = 2.0;        // Å: no lattice has a shorter translation
    int allowedMissing = 2;      // of the searched lines
    std::size_t lineCount = 20;  // the first lines searched
    std::size_t zones = 100;     // the best zones kept
    // The best of the kept zones, each joined with every other kept: the zones of a centred or
    // small cell hold few of the first lines and rank low, so that the two that make its lattice
    // may both lie well down the list (a C-centred monoclinic cell of 460 Å³ among 20 lines: its
    // zones ranked beyond the 20th). Joining 40 of 100 costs a few seconds on 20 to 30 lines.
    std::size_t leadingZones = 40;
    std::size_t lattices = 40;   // the lattices returned at most, best first
};

struct ZoneLattice {
    UnitCell reduced;  // Niggli cell of the lattice found (primitive)
    int indexed = 0;   // of the searched lines, with the metric the zones gave
    double zero = 0;   // degrees 2θ: the trial zero error it was found at
};

// The lattices found, best first (most lines indexed, then smallest volume). `stop` is asked now
// and then; true ends the search with what it has.
std::vector<ZoneLattice> zone_lattices(const IndexingLines& lines, const ZoneSettings& settings,
                                       const std::function<bool()>& stop);

}  // namespace kalidos
