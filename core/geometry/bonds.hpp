// Bonds: pairs of atoms closer than the sum of their covalent radii plus a tolerance, of the
// element pairs a rule bonds.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "geometry/cell_atoms.hpp"

namespace kalidos {

inline constexpr double kDefaultBondTolerance = 0.45;  // Å
// Atoms closer than this are one place (a shared or split site), never bonded.
inline constexpr double kSamePlace = 0.01;  // Å

// Which element pairs may be bonded. Expected: the pairs crystallographers draw, every pair but
// two metals (cation–anion and covalent bonds; in corundum Al–O, not Al–Al at 2.65 Å; in rutile
// Ti–O, not Ti–Ti). All: every pair within reach, the plain covalent rule.
enum class BondPairs { Expected, All };

struct BondRule {
    double tolerance = kDefaultBondTolerance;  // Å added to the sum of the covalent radii
    BondPairs pairs = BondPairs::Expected;
    // Element pairs (atomic numbers, smaller first) bonded or not whatever `pairs` says.
    std::vector<std::pair<int, int>> added, removed;

    // Whether atoms of atomic numbers z1 and z2 (0 for a symbol that names no element) may be bonded.
    bool bonds(int z1, int z2) const;
};

// Every pair within reach, as the covalent radii and the tolerance alone decide.
BondRule all_pairs_rule(double tolerance);

// True for the metals: every element but hydrogen, the noble gases, the non-metals and the
// metalloids B, Si, Ge, As, Sb, Te (IUPAC's periodic table; the usual six metalloids, whose bonds
// are covalent: Si–Si in silicon).
bool is_metal(int atomicNumber);

// A rule written as kalidos-batch --bond-pairs and the Structure window take it: "expected" or
// "all", then element pairs to bond ("Cu-Cu" or "+Cu-Cu") or not ("-O-H"), separated by commas
// or blanks. Empty text, or why the text is refused (an unknown element).
std::string parse_bond_pairs(const std::string& text, BondRule& rule);
// The rule's pairs as parse_bond_pairs reads them: "expected", "all, +Cu-Cu, -O-H".
std::string bond_pairs_text(const BondRule& rule);

// The covalent radius (Å) of the element of an atom symbol, from gemmi's element table (Cordero
// et al. 2008, Dalton Trans. 2832); gemmi's 0.5 Å for a symbol that names no element.
double covalent_radius(const std::string& atomSymbol);
// The atomic number of an atom symbol's element; 0 when it names none.
int atomic_number(const std::string& atomSymbol);

// The names of the atoms (entry n − 1 for atom n), unique: each atom's element as written in
// tables (Si, Fe) and its label, "Si1", or the element and the row number when the label is empty;
// in a structure where two would share a name, the file's own site labels (unique_atom_names).
std::vector<std::string> bond_atom_names(const StructureModel& model);

// One neighbour image of an atom of the asymmetric unit: `to` the atom (1-based) whose image at
// `toFractional` lies `distance` Å from atom `from`.
struct Bond {
    int from = 0;
    int to = 0;
    double distance = 0;
    Vec3 toFractional{};
};

// For each atom of the asymmetric unit in turn, every image of every atom of the cell (over all
// cell translations) with kSamePlace ≤ d < r_from + r_to + tolerance of an element pair the rule
// bonds, by increasing distance.
std::vector<Bond> asymmetric_unit_bonds(const StructureModel& model, const BondRule& rule);

// The covalent radii and the atomic numbers of the atoms of the model, indexed by row (index 0 unused).
struct AtomReach {
    std::vector<double> radii;
    std::vector<int> numbers;
};
AtomReach atom_reach(const StructureModel& model);

// The neighbour images of a point (fractional `from`) standing for atom `fromAtom`: every image
// of `sites` within reach of the rule, by increasing distance.
std::vector<Bond> neighbours_of(const CellFrame& frame, const std::vector<CellSite>& sites, const AtomReach& atoms,
                                const Vec3& from, int fromAtom, const BondRule& rule);

// The bonds between the atoms at `cartesian` (Å) with covalent radii `radii` and atomic numbers
// `numbers`, as index pairs i < j: a grid of boxes as wide as the longest bond keeps this linear
// in the number of atoms.
std::vector<std::pair<int, int>> bonds_between(const std::vector<Vec3>& cartesian, const std::vector<double>& radii,
                                               const std::vector<int>& numbers, const BondRule& rule);

// An element pair met within reach of the covalent radii and the tolerance: its shortest distance
// in the structure and whether the rule bonds it.
struct BondPairSummary {
    std::string first, second;  // element names, "Al", "O"
    double shortest = 0;        // Å
    bool bonded = false;
};
// The element pairs of the asymmetric unit's neighbours within reach, shortest first.
std::vector<BondPairSummary> bond_pair_summary(const StructureModel& model, const BondRule& rule);

}  // namespace kalidos
