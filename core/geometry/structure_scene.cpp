#include "geometry/structure_scene.hpp"

#include <algorithm>

#include <gemmi/elem.hpp>

#include "computation/atom_symbol_keys.hpp"
#include "computation/site_multiplicity.hpp"
#include "geometry/ellipsoid.hpp"

namespace kalidos {
namespace {

SceneAtom scene_atom(const StructureModel& model, const CellFrame& frame, const std::vector<SymmetryOperator>& operators,
                     const RangeAtom& placed)
{
    const int n = placed.site.atom;
    const gemmi::Element element(nucleus_key(model.atomSymbol[n]));
    SceneAtom atom;
    atom.atom = n;
    atom.atomicNumber = element.atomic_number();
    atom.element = element == gemmi::El::X ? trimmed_upper(model.atomSymbol[n]) : std::string(element.name());
    atom.fractional = placed.site.fractional;
    atom.cartesian = frame.cartesian(placed.site.fractional);
    atom.covalentRadius = element.covalent_r();
    atom.population = model.atomPopulation[n];
    atom.share = placed.share;
    atom.anisotropic = model.atomAnisotropic[n].present;
    atom.displacement = atom.anisotropic ? cartesian_displacement(frame, model.atomAnisotropic[n],
                                                                  operators[static_cast<std::size_t>(placed.site.op)].m)
                                         : isotropic_displacement(model.atomB[n]);
    return atom;
}

bool chosen(const std::vector<std::string>& elements, const std::string& element)
{
    return std::find(elements.begin(), elements.end(), element) != elements.end();
}

void add_polyhedra(const StructureModel& model, const CellFrame& frame, const std::vector<CellSite>& sites,
                   const SceneOptions& options, StructureScene& scene)
{
    const AtomReach atoms = atom_reach(model);
    for (std::size_t i = 0; i < scene.atoms.size(); ++i) {
        const SceneAtom& centre = scene.atoms[i];
        if (!chosen(options.polyhedronElements, centre.element))
            continue;
        std::vector<Vec3> vertices;
        for (const Bond& b : neighbours_of(frame, sites, atoms, centre.fractional, centre.atom, options.bonds)) {
            const std::string element = gemmi::Element(nucleus_key(model.atomSymbol[b.to])).name();
            if (element != centre.element && !chosen(options.polyhedronElements, element))
                vertices.push_back(frame.cartesian(b.toFractional));
        }
        Polyhedron hull = convex_polyhedron(static_cast<int>(i), vertices);
        if (!hull.faces.empty())
            scene.polyhedra.push_back(std::move(hull));
    }
}

}  // namespace

StructureScene build_scene(const StructureModel& model, const SceneOptions& options)
{
    StructureScene scene;
    scene.cell = model.cell;
    scene.range = options.range;
    const CellFrame frame(model.cell);
    if (!frame.valid() || model.operatorCount <= 0)
        return scene;
    const std::vector<SymmetryOperator> operators = applied_operators(model);
    const std::vector<CellSite> sites = all_cell_sites(model);
    scene.multiplicity.assign(static_cast<std::size_t>(model.atomCount) + 1, 0);
    for (const CellSite& s : sites)
        ++scene.multiplicity[static_cast<std::size_t>(s.atom)];
    for (const RangeAtom& placed : atoms_in_range(sites, options.range))
        scene.atoms.push_back(scene_atom(model, frame, operators, placed));
    std::vector<Vec3> positions;
    std::vector<double> radii;
    std::vector<int> numbers;
    for (const SceneAtom& a : scene.atoms) {
        positions.push_back(a.cartesian);
        radii.push_back(a.covalentRadius);
        numbers.push_back(a.atomicNumber);
    }
    scene.bonds = bonds_between(positions, radii, numbers, options.bonds);
    add_polyhedra(model, frame, sites, options, scene);
    return scene;
}

}  // namespace kalidos
