#include "indexing/cell_structure.hpp"

#include "computation/reflection_generation.hpp"
#include "symmetry/space_group_lookup.hpp"

namespace kalidos {

std::string system_code(const FoundCell& cell)
{
    switch (cell.system()) {
    case LatticeSystem::Cubic: return "CUBI";
    case LatticeSystem::Tetragonal: return "TETR";
    case LatticeSystem::Hexagonal: return cell.centring() == 'R' ? "RHOM" : "HEXA";
    case LatticeSystem::Orthorhombic: return "ORTH";
    case LatticeSystem::Monoclinic: return "MONO";
    case LatticeSystem::Triclinic: return "TRIC";
    }
    return "TRIC";
}

bool structure_of_cell(const FoundCell& cell, const std::string& group, const std::string& title,
                       const std::filesystem::path& dataDirectory, StructureModel& structure, Messages& messages)
{
    structure = StructureModel{};
    structure.title = title;
    structure.scratchInMemory = true;
    structure.dataDirectory = dataDirectory.string();
    const UnitCell& c = cell.fit.cell;
    structure.cell.a = c.a;
    structure.cell.b = c.b;
    structure.cell.c = c.c;
    structure.cell.alpha = c.alpha;
    structure.cell.beta = c.beta;
    structure.cell.gamma = c.gamma;
    // Any cell is a lattice of P 1; another group must belong to the cell's system.
    const std::string symbol = group.empty() ? kIndexedCellGroup : group;
    const bool triclinicGroup = symbol == kIndexedCellGroup || symbol == "P1";
    structure.crystalSystem = triclinicGroup ? "TRIC" : system_code(cell);
    return look_up_and_apply_space_group(structure, symbol, dataDirectory, messages).applied;
}

std::vector<Reflection> cell_reflections(StructureModel structure, double wavelength, double low, double high,
                                         Messages& messages)
{
    structure.wavelengths.count = 1;
    structure.wavelengths.values[1] = structure.wavelengths.current = wavelength;
    structure.wavelengths.weights[1] = 1;
    structure.enteredTwoTheta1 = structure.twoTheta1 = low;
    structure.enteredTwoTheta2 = structure.twoTheta2 = high;
    auto list = std::make_unique<CountedTable<Reflection>>(kReflectionCapacity);
    if (!generate_reflections(structure, *list, messages))
        return {};
    std::vector<Reflection> reflections(list->begin(), list->end());
    for (Reflection& r : reflections)
        r.intensity = 0;
    return reflections;
}

}  // namespace kalidos
