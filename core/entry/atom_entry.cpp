#include "entry/atom_entry.hpp"

#include <set>

#include "computation/atom_symbol_keys.hpp"
#include "computation/scattering.hpp"
#include "util/number_text.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {

namespace {

std::string element_key(const std::string& symbol)
{
    return short_text(to_upper(trim(symbol)), kAtomSymbolLength);
}

// The number of a cell: its exact value while the text is the one written, else the typed text.
std::optional<double> cell_number(const AtomCell& cell)
{
    if (cell.hasValue && cell.text == cell.shown)
        return cell.value;
    const auto value = parse_real(normalise_number(cell.text));
    if (!value)
        return std::nullopt;
    return to_real48(*value);
}

void set_b(AtomGrid& grid, int row, const std::string& text, const StructureModel& m, int atom)
{
    grid.set_number(row, kColB, text, m.atomB[atom]);
    grid.at(row, kColB).tensor = m.atomAnisotropic[atom];
}

void write_row(AtomGrid& grid, int row, const StructureModel& m, int atom, bool neutron)
{
    grid.set_text(row, kColSymbol, capitalised(m.atomSymbol[atom]));
    grid.set_text(row, kColLabel, m.atomLabel[atom]);
    AtomCell& label = grid.at(row, kColLabel);
    label.siteLabel = m.atomSiteLabel[atom];
    label.shown = grid.text(row, kColSymbol) + "|" + label.text;
    grid.set_number(row, kColX, fmt_fixed(m.atomX[atom], 9, 5), m.atomX[atom]);
    grid.set_number(row, kColY, fmt_fixed(m.atomY[atom], 9, 5), m.atomY[atom]);
    grid.set_number(row, kColZ, fmt_fixed(m.atomZ[atom], 9, 5), m.atomZ[atom]);
    set_b(grid, row, fmt_fixed(m.atomB[atom], 8, 2), m, atom);
    grid.set_number(row, kColPopulation, fmt_fixed(m.atomPopulation[atom], 8, 3), m.atomPopulation[atom]);
    if (neutron)
        grid.set_number(row, kColFermi, fmt_fixed(m.atomFermiLength[atom], 8, 3), m.atomFermiLength[atom]);
}

}  // namespace

AtomGrid& radiation_grid(EntryForm& form, int radiation)
{
    return radiation == kNeutrons ? form.neutron : form.xray;
}

std::optional<double> nucleus_fermi_length(const std::string& symbol)
{
    const std::string key = nucleus_key(symbol);
    for (const auto& row : neutron_scattering_table())
        if (key == to_upper(trim(row.name)))
            return row.fermiLength;
    return std::nullopt;
}

void settle_edited_tensor(AtomGrid& grid, int row, Messages& messages)
{
    AtomCell& cell = grid.at(row, kColB);
    if (!cell.tensor.present || (cell.hasValue && cell.text == cell.shown))
        return;
    const std::string question = "The atom of row " + std::to_string(row) +
                                 " has an anisotropic displacement. Make it isotropic with B = " + trim(cell.text) +
                                 "? (No keeps the tensor and its B_eq)";
    if (messages.ask(question) == Answer::Yes)
        cell.tensor = AnisotropicDisplacement{};
    else
        cell.text = cell.shown;
}

bool read_atom_rows(EntryForm& form, StructureModel& model, Messages& messages)
{
    const bool neutron = model.radiation == kNeutrons;
    AtomGrid& grid = radiation_grid(form, model.radiation);
    const int lastColumn = neutron ? kColFermi : kColPopulation;
    std::set<std::string> elements;
    model.atomCount = 0;
    bool complete = true;
    for (int row = 1; row < grid.rows() && complete; ++row) {
        if (trim(grid.text(row, kColSymbol)).empty())
            continue;
        settle_edited_tensor(grid, row, messages);
        double values[8] = {};
        for (int column = kColX; column <= lastColumn; ++column) {
            const auto value = cell_number(grid.at(row, column));
            if (!value) {
                beep_and_warn(messages, "Type error at row " + std::to_string(row) + " colon " +
                                            std::to_string(column + 1));
                complete = false;
                break;
            }
            values[column] = *value;
        }
        if (!complete)
            break;
        std::string symbol = grid.text(row, kColSymbol);
        symbol = element_key(symbol.substr(symbol.find_first_not_of(' ')));
        elements.insert(xray_key(symbol));
        if (elements.size() > static_cast<std::size_t>(kMaxElements)) {
            beep_and_warn(messages, "More than " + std::to_string(kMaxElements) + " elements at row " +
                                        std::to_string(row) + "!");
            complete = false;
            break;
        }
        const int atom = ++model.atomCount;
        const std::string label = grid.text(row, kColLabel);
        const auto labelStart = label.find_first_not_of(' ');
        model.atomSymbol[atom] = symbol;
        model.atomLabel[atom] =
            labelStart == std::string::npos ? std::string() : short_text(label.substr(labelStart), kAtomLabelLength);
        // The file's site label names the row while its symbol and label are those it was read with.
        const AtomCell& labelCell = grid.at(row, kColLabel);
        model.atomSiteLabel[atom] =
            labelCell.shown == grid.text(row, kColSymbol) + "|" + label ? labelCell.siteLabel : std::string();
        model.atomX[atom] = fractional_part(values[kColX]);
        model.atomY[atom] = fractional_part(values[kColY]);
        model.atomZ[atom] = fractional_part(values[kColZ]);
        model.atomB[atom] = values[kColB];
        model.atomAnisotropic[atom] = grid.at(row, kColB).tensor;
        model.atomPopulation[atom] = values[kColPopulation];
        if (neutron)
            model.atomFermiLength[atom] = values[kColFermi];
        if (model.atomCount == kMaxAtoms)
            break;
    }
    grid.clear_atoms();
    for (int atom = 1; atom <= model.atomCount; ++atom)
        write_row(grid, atom, model, atom, neutron);
    return complete;
}

void show_atoms(EntryForm& form, StructureModel& model, Messages& messages)
{
    for (int atom = 1; atom <= model.atomCount; ++atom) {
        write_row(form.xray, atom, model, atom, false);
        write_row(form.neutron, atom, model, atom, false);
        // B and the population as the refresh after a file read shows them.
        for (AtomGrid* grid : {&form.xray, &form.neutron}) {
            set_b(*grid, atom, fmt_fixed(model.atomB[atom], 6, 2), model, atom);
            grid->set_number(atom, kColPopulation, fmt_fixed(model.atomPopulation[atom], 5, 2),
                             model.atomPopulation[atom]);
        }
        const int nucleus = find_nucleus(model.atomSymbol[atom], messages);
        if (nucleus == 0)
            return;
        const double length = neutron_scattering_table()[static_cast<std::size_t>(nucleus - 1)].fermiLength;
        model.atomFermiLength[atom] = length;
        form.neutron.set_number(atom, kColFermi, fmt_fixed(length, 8, 3), length);
    }
}

}  // namespace kalidos
