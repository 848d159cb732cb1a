#include "refinement_output/refined_cif.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "refinement_output/site_labels.hpp"
#include "util/su_text.hpp"

namespace kalidos {
namespace {

// The translation as a fraction n/d with d up to 12 (every translation of a space group is one),
// else as a decimal number; "" for 0.
std::string translation_text(double t)
{
    t -= std::floor(t + 1e-9);
    if (std::fabs(t) < 1e-6)
        return {};
    for (int d = 2; d <= 12; ++d) {
        const double n = std::round(t * d);
        if (std::fabs(t * d - n) < 1e-4 * d)
            return "+" + std::to_string(static_cast<int>(n)) + "/" + std::to_string(d);
    }
    return "+" + value_su_text(t, 0);
}

std::string row_text(const double row[4])
{
    static const char* const axes[3] = {"x", "y", "z"};
    std::string text;
    for (int k = 0; k < 3; ++k) {
        const double c = std::round(row[k]);
        if (c == 0)
            continue;
        const std::string sign = c < 0 ? "-" : (text.empty() ? "" : "+");
        text += sign + (std::fabs(c) == 1 ? "" : std::to_string(static_cast<int>(std::fabs(c)))) + axes[k];
    }
    return (text.empty() ? "0" : text) + translation_text(row[3]);
}

// A text value, quoted when it holds a blank or begins as a CIF keyword would.
std::string quoted(const std::string& text)
{
    if (text.empty())
        return "?";
    if (text.find_first_of(" \t'\"_#$;[]") == std::string::npos)
        return text;
    return (text.find('\'') == std::string::npos ? "'" + text + "'" : "\"" + text + "\"");
}

double su_of(const std::vector<std::array<double, 5>>& atoms, int atom, int k)
{
    const auto i = static_cast<std::size_t>(atom - 1);
    return i < atoms.size() ? atoms[i][static_cast<std::size_t>(k)] : 0;
}

void write_symmetry(std::ostream& out, const StructureModel& m)
{
    if (!m.spaceGroupSymbol.empty())  // the catalogue's Hermann-Mauguin symbol, whichever notation chose it
        out << "_space_group_name_H-M_alt " << quoted(m.spaceGroupSymbol) << '\n';
    out << "loop_\n_space_group_symop_id\n_space_group_symop_operation_xyz\n";
    for (int i = 1; i <= m.operatorCount; ++i)
        out << i << " '" << operator_xyz(m.operators[i]) << "'\n";
}

void write_cell(std::ostream& out, const StructureModel& m, const StructureUncertainties& su)
{
    const CellParameters& c = m.cell;
    const double values[6] = {c.a, c.b, c.c, c.alpha, c.beta, c.gamma};
    static const char* const tags[6] = {"_cell_length_a",   "_cell_length_b",   "_cell_length_c",
                                        "_cell_angle_alpha", "_cell_angle_beta", "_cell_angle_gamma"};
    for (std::size_t k = 0; k < 6; ++k)
        out << tags[k] << ' ' << value_su_text(values[k], su.cell[k]) << '\n';
    if (c.volume > 0)
        out << "_cell_volume " << value_su_text(c.volume, su.volume, 3) << '\n';
}

void write_sites(std::ostream& out, const StructureModel& m, const std::vector<std::string>& labels,
                 const StructureUncertainties& su)
{
    out << "loop_\n_atom_site_label\n_atom_site_type_symbol\n_atom_site_fract_x\n_atom_site_fract_y\n"
           "_atom_site_fract_z\n_atom_site_B_iso_or_equiv\n_atom_site_adp_type\n_atom_site_occupancy\n";
    for (int i = 1; i <= m.atomCount; ++i) {
        const double values[5] = {m.atomX[i], m.atomY[i], m.atomZ[i], m.atomB[i], m.atomPopulation[i]};
        out << labels[static_cast<std::size_t>(i - 1)] << ' ' << quoted(cif_type_symbol(m.atomSymbol[i]));
        for (int k = 0; k < 3; ++k)
            out << ' ' << value_su_text(values[k], su_of(su.atoms, i, k));
        out << ' ' << value_su_text(values[3], su_of(su.atoms, i, 3), 4);
        out << (m.atomAnisotropic[i].present ? " Uani " : " Biso ");
        out << value_su_text(values[4], su_of(su.atoms, i, 4), 4) << '\n';
    }
}

void write_tensors(std::ostream& out, const StructureModel& m, const std::vector<std::string>& labels,
                   const StructureUncertainties& su)
{
    bool any = false;
    for (int i = 1; i <= m.atomCount; ++i)
        any = any || m.atomAnisotropic[i].present;
    if (!any)
        return;
    out << "loop_\n_atom_site_aniso_label\n_atom_site_aniso_U_11\n_atom_site_aniso_U_22\n_atom_site_aniso_U_33\n"
           "_atom_site_aniso_U_12\n_atom_site_aniso_U_13\n_atom_site_aniso_U_23\n";
    for (int i = 1; i <= m.atomCount; ++i) {
        if (!m.atomAnisotropic[i].present)
            continue;
        const auto atom = static_cast<std::size_t>(i - 1);
        out << labels[atom];
        for (std::size_t k = 0; k < 6; ++k)
            out << ' '
                << value_su_text(m.atomAnisotropic[i].u[k], atom < su.anisotropic.size() ? su.anisotropic[atom][k] : 0,
                                 6);
        out << '\n';
    }
}

void write_figures(std::ostream& out, const RefinementFigures& f)
{
    out << "_pd_proc_number_of_points " << f.points << '\n';
    out << "_refine_ls_number_parameters " << f.parameters << '\n';
    out << "_pd_proc_ls_prof_R_factor " << value_su_text(f.rp, 0, 5) << '\n';
    out << "_pd_proc_ls_prof_wR_factor " << value_su_text(f.rwp, 0, 5) << '\n';
    out << "_pd_proc_ls_prof_wR_expected " << value_su_text(f.rexp, 0, 5) << '\n';
    out << "_refine_ls_goodness_of_fit_all " << value_su_text(std::sqrt(std::max(f.chi2, 0.0)), 0, 5) << '\n';
    if (f.rBragg)
        out << "_refine_ls_R_I_factor " << value_su_text(*f.rBragg, 0, 5) << '\n';
    if (f.notes.empty())
        return;
    out << "_refine_special_details\n;\n";
    for (const std::string& note : f.notes)  // a line beginning with ';' would end the text field
        out << (note.starts_with(";") ? " " : "") << note << '\n';
    out << ";\n";
}

}  // namespace

std::string operator_xyz(const SymmetryOperator& op)
{
    return row_text(op.m[0]) + "," + row_text(op.m[1]) + "," + row_text(op.m[2]);
}

std::string refined_cif_text(const StructureModel& model, const std::string& blockName,
                             const StructureUncertainties& su, const std::optional<RefinementFigures>& figures)
{
    std::ostringstream out;
    std::string block;
    for (const char c : blockName)
        block += std::isgraph(static_cast<unsigned char>(c)) ? c : '_';
    out << "data_" << (block.empty() ? "refined" : block) << '\n';
    out << "_audit_creation_method 'KALIDOS Rietveld refinement'\n";
    if (!model.title.empty())
        out << "_chemical_name_common " << quoted(model.title) << '\n';
    write_symmetry(out, model);
    write_cell(out, model, su);
    const std::vector<std::string> labels = site_labels(model);
    write_sites(out, model, labels, su);
    write_tensors(out, model, labels, su);
    if (figures)
        write_figures(out, *figures);
    return out.str();
}

}  // namespace kalidos
