// What a picture of the crystal structure shows: the atoms of a block of cells, the bonds between
// them and the coordination polyhedra of chosen elements, in ångströms.
#pragma once

#include <string>
#include <vector>

#include "geometry/bonds.hpp"
#include "geometry/polyhedra.hpp"

namespace kalidos {

struct SceneOptions {
    CellRange range;
    BondRule bonds;                                // which atoms are bonded, and the polyhedra's vertices
    std::vector<std::string> polyhedronElements;   // element names ("Ti", "Si") at the centres
};

struct SceneAtom {
    int atom = 0;              // row of the asymmetric unit
    std::string element;       // "Si", "O"; the symbol itself when it names no element
    int atomicNumber = 0;      // 0 for no element
    Vec3 fractional{};
    Vec3 cartesian{};          // Å
    double covalentRadius = 0; // Å
    double population = 1;
    double share = 1;          // see RangeAtom
    bool anisotropic = false;  // a tensor was given: `displacement` is its image
    Mat3 displacement{};       // Cartesian U (Å²), isotropic from B without a tensor
};

struct StructureScene {
    CellParameters cell;
    CellRange range;
    std::vector<SceneAtom> atoms;
    std::vector<std::pair<int, int>> bonds;  // indices into atoms
    std::vector<Polyhedron> polyhedra;       // `centre` an index into atoms
    std::vector<int> multiplicity;           // distinct cell positions of each row (index 0 unused)

    Vec3 cartesian(const Vec3& fractional) const { return CellFrame(cell).cartesian(fractional); }
};

// The scene of `model` (nothing when the cell is degenerate or there is no operator). Polyhedra
// join the neighbours of another element than the centre's and outside the chosen ones, taken
// over all images (not only those shown), when there are at least four of them out of one plane.
StructureScene build_scene(const StructureModel& model, const SceneOptions& options);

}  // namespace kalidos
