// Structure factors summed directly over atoms and operators: the definition the fast
// summation of structure_factor_engine is checked against.
#pragma once

#include "model/structure_model.hpp"

namespace kalidos {

// 2π in the phases of the structure factors, to seven digits: with it the phase of an image
// depends on which cell it is written in, so images are used as R·x + t without reduction.
inline constexpr double kPhaseTwoPi = 6.283185;

struct XrayStructureFactor {
    double aPlus = 0, bPlus = 0;    // F(h k l) = A+ + iB+
    double aMinus = 0, bMinus = 0;  // F(-h -k -l) = A- + iB-
};

struct NeutronStructureFactor {
    double a = 0, b = 0;
};

// F(h k l) and F(-h -k -l) at s = 1/(2d) with the f' and f'' of wavelength pass `pass`, each atom
// weighted by exp(-B s²)·atomMultiplicity (an atom with a tensor by exp(-mᵀβm) of each operator's
// image m = (h k l)·R instead of exp(-B s²)), the sum scaled by K.
XrayStructureFactor xray_structure_factor(const StructureModel& model, int pass, double scaleK, int h, int k,
                                          int l, double s);

// The same with the Fermi lengths in place of f.
NeutronStructureFactor neutron_structure_factor(const StructureModel& model, double scaleK, int h, int k, int l,
                                                double s);

}  // namespace kalidos
