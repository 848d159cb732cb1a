// One structure of a library as the index keeps it: what names it, what it holds, and its
// reflections as d and m·|F|² per unit cell, free of any wavelength's Lorentz-polarisation factor.
#pragma once

#include <string>
#include <vector>

namespace kalidos {

// A reflection, or reflections of the same d summed: d in Å and m·|F|² (electrons², X-rays)
// per unit cell. Multiplied by a wavelength's Lp at θ = asin(λ/2d) it gives the calculated
// intensity at that wavelength.
struct IndexedReflection {
    float d = 0;
    float intensity = 0;
};

struct LibraryEntry {
    long long id = 0;          // the index's row; 0 before it is stored
    std::string file;          // absolute path
    int block = 1;             // 1-based structure block of a CIF; 1 for other formats
    std::string blockName;     // the CIF block's name; empty for other formats
    std::string formula;       // as the cell content gives it, e.g. "Ca F2"
    std::vector<std::string> elements;  // element symbols, each once, in formula order
    double cell[6] = {};       // a, b, c (Å), α, β, γ (degrees)
    std::string group;         // space-group symbol as applied
    double zmv = 0;            // Z·M·V: formula units × formula mass (g/mol) × cell volume (Å³)
    std::vector<IndexedReflection> reflections;  // largest d first
};

// The shortest d the index calculates (Å): Cu Kα1 reaches it at 2θ = 149°.
inline constexpr double kIndexShortestD = 0.8;

}  // namespace kalidos
