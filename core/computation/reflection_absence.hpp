// Systematic absences: the lattice centring and the general test with a trial atom.
#pragma once

#include "model/structure_model.hpp"

namespace kalidos {

// True when (h k l) is absent by the lattice centring alone: (0 0 0); I, F, A, B, C by parity;
// R in hexagonal axes (system "HEXA" and a symbol beginning with R) unless -h+k+l = 3n; R in
// rhombohedral axes and P never; any other letter always.
bool lattice_absence_test(const StructureModel& model, int h, int k, int l);

// The condition lattice_absence_test applies: the centring letter (R also for an R symbol in
// hexagonal axes), 'P' for R in rhombohedral axes, '?' (every reflection absent) otherwise.
char lattice_condition(const StructureModel& model);
bool absent_by_lattice(char condition, int h, int k, int l);

// True when a single atom on a general position gives (h k l) no intensity: some operator of the
// table (centred copies included) leaves the indices unchanged, (h k l)·R = (h k l), and shifts the
// phase, h·t not a whole number. This is exact; sums over trial positions have accidental zeros
// (P 1 1 2/m loses (4 1 2) at the two classic trial points).
bool general_absence_test(const StructureModel& model, int h, int k, int l);

}  // namespace kalidos
