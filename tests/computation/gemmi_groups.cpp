#include "gemmi_groups.hpp"

#include <stdexcept>

#include "computation/cell_metric.hpp"

namespace kalidos::testing {

std::string system_code(const gemmi::SpaceGroup& group)
{
    switch (group.crystal_system()) {
    case gemmi::CrystalSystem::Triclinic: return "TRIC";
    case gemmi::CrystalSystem::Monoclinic: return "MONO";
    case gemmi::CrystalSystem::Orthorhombic: return "ORTH";
    case gemmi::CrystalSystem::Tetragonal: return "TETR";
    case gemmi::CrystalSystem::Trigonal: return group.ext == 'R' ? "RHOM" : "HEXA";
    case gemmi::CrystalSystem::Hexagonal: return "HEXA";
    case gemmi::CrystalSystem::Cubic: return "CUBI";
    }
    return "";
}

namespace {

SymmetryOperator to_operator(const gemmi::Op& op, const gemmi::Op::Tran& centring)
{
    SymmetryOperator s;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            s.m[i][j] = op.rot[i][j] / double(gemmi::Op::DEN);
        const int t = (op.tran[i] + centring[i]) % gemmi::Op::DEN;
        s.m[i][3] = (t < 0 ? t + gemmi::Op::DEN : t) / double(gemmi::Op::DEN);
    }
    return s;
}

}  // namespace

void set_space_group(StructureModel& model, const gemmi::SpaceGroup& group)
{
    clear_operator_table(model);
    const gemmi::GroupOps ops = group.operations();
    for (const auto& centring : ops.cen_ops)
        for (const auto& op : ops.sym_ops) {
            ++model.operatorCount;
            model.operators[model.operatorCount] = to_operator(op, centring);
            model.operatorTexts[model.operatorCount] = op.add_centering(centring).triplet();
        }
    model.centringCount = static_cast<int>(ops.cen_ops.size()) - 1;
    for (int v = 1; v <= model.centringCount; ++v) {
        const auto& c = ops.cen_ops[static_cast<std::size_t>(v)];
        model.centringVectors[v] = {c[0] / 24.0, c[1] / 24.0, c[2] / 24.0};
    }
    model.centrosymmetric = ops.is_centrosymmetric();
    model.spaceGroupSymbol = short_text(group.hm, kSymbolLength);
    model.latticeLetter = model.spaceGroupSymbol.substr(0, 1);
    model.crystalSystem = system_code(group);
}

void set_space_group(StructureModel& model, const std::string& name)
{
    const gemmi::SpaceGroup* group = gemmi::find_spacegroup_by_name(name);
    if (!group)
        throw std::runtime_error("unknown space group " + name);
    set_space_group(model, *group);
}

void set_cell(StructureModel& model, double a, double b, double c, double alpha, double beta, double gamma)
{
    model.cell = CellParameters{};
    model.cell.a = a;
    model.cell.b = b;
    model.cell.c = c;
    model.cell.alpha = alpha;
    model.cell.beta = beta;
    model.cell.gamma = gamma;
    compute_cell_metric(model);
}

void set_generic_cell(StructureModel& model, const gemmi::SpaceGroup& group)
{
    const std::string system = system_code(group);
    if (system == "CUBI")
        set_cell(model, 8.31, 8.31, 8.31, 90, 90, 90);
    else if (system == "TETR")
        set_cell(model, 7.13, 7.13, 9.87, 90, 90, 90);
    else if (system == "ORTH")
        set_cell(model, 6.21, 8.43, 9.97, 90, 90, 90);
    else if (system == "HEXA")
        set_cell(model, 7.7, 7.7, 9.1, 90, 90, 120);
    else if (system == "RHOM")
        set_cell(model, 6.6, 6.6, 6.6, 77.3, 77.3, 77.3);
    else if (system == "TRIC")
        set_cell(model, 6.3, 7.4, 8.9, 81, 97, 103);
    else {
        // Monoclinic: the angle between the two axes normal to the two-fold axis differs from 90°.
        const gemmi::GroupOps ops = group.operations();
        int unique = 1;
        for (const auto& op : ops.sym_ops)
            for (int i = 0; i < 3; ++i)
                if (op.rot[i][i] != op.rot[(i + 1) % 3][(i + 1) % 3] &&
                    op.rot[i][i] != op.rot[(i + 2) % 3][(i + 2) % 3])
                    unique = i;
        set_cell(model, 6.21, 8.43, 9.97, unique == 0 ? 103 : 90, unique == 1 ? 103 : 90, unique == 2 ? 103 : 90);
    }
}

}  // namespace kalidos::testing
