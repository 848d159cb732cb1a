// Bonds: pairs of atoms closer than the sum of their covalent radii plus a tolerance.
#pragma once

#include <string>
#include <vector>

#include "geometry/cell_atoms.hpp"

namespace kalidos {

inline constexpr double kDefaultBondTolerance = 0.45;  // Å
// Atoms closer than this are one place (a shared or split site), never bonded.
inline constexpr double kSamePlace = 0.01;  // Å

// The covalent radius (Å) of the element of an atom symbol, from gemmi's element table (Cordero
// et al. 2008, Dalton Trans. 2832); gemmi's 0.5 Å for a symbol that names no element.
double covalent_radius(const std::string& atomSymbol);

// The name of atom n: its element as written in tables (Si, Fe) and its label, "Si1"; the element
// and the row number when the label is empty.
std::string atom_name(const StructureModel& model, int n);

// One neighbour image of an atom of the asymmetric unit: `to` the atom (1-based) whose image at
// `toFractional` lies `distance` Å from atom `from`.
struct Bond {
    int from = 0;
    int to = 0;
    double distance = 0;
    Vec3 toFractional{};
};

// For each atom of the asymmetric unit in turn, every image of every atom of the cell (over all
// cell translations) with kSamePlace ≤ d < r_from + r_to + tolerance, by increasing distance.
std::vector<Bond> asymmetric_unit_bonds(const StructureModel& model, double tolerance);

// The covalent radii of the atoms of the model, indexed by row (index 0 unused).
std::vector<double> atom_radii(const StructureModel& model);

// The neighbour images of a point (fractional `from`) standing for atom `fromAtom`: every image
// of `sites` with kSamePlace ≤ d < radii[fromAtom] + radii[site atom] + tolerance, by increasing
// distance.
std::vector<Bond> neighbours_of(const CellFrame& frame, const std::vector<CellSite>& sites,
                                const std::vector<double>& radii, const Vec3& from, int fromAtom, double tolerance);

// The bonds between the atoms at `cartesian` (Å) with covalent radii `radii`, as index pairs i < j:
// a grid of boxes as wide as the longest bond keeps this linear in the number of atoms.
std::vector<std::pair<int, int>> bonds_between(const std::vector<Vec3>& cartesian, const std::vector<double>& radii,
                                               double tolerance);

}  // namespace kalidos
