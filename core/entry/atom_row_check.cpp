// Checking an atom row when the user leaves it, and inserting a row.
#include "computation/atom_symbol_keys.hpp"
#include "computation/scattering.hpp"
#include "entry/atom_entry.hpp"
#include "util/number_text.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {

namespace {

// Empty numeric cells read "0" and a population of exactly "0" becomes "1", so a row typed with
// only a symbol and x describes a full atom.
void complete_row(AtomGrid& grid, int row)
{
    for (int column = kColX; column < grid.columns(); ++column)
        if (grid.text(row, column).empty())
            grid.set_text(row, column, "0");
    if (grid.text(row, kColPopulation) == "0")
        grid.set_text(row, kColPopulation, "1");
}

// Copies a row's label and numbers (columns 1..6) and the first two letters of its symbol.
void copy_row(const AtomGrid& from, AtomGrid& to, int row)
{
    to.set_text(row, kColSymbol, from.text(row, kColSymbol).substr(0, 2));
    for (int column = kColLabel; column <= kColPopulation; ++column)
        to.at(row, column) = from.at(row, column);
}

void show_nucleus(AtomGrid& neutron, int row, const std::string& name, double length)
{
    neutron.set_text(row, kColSymbol, name);
    neutron.set_number(row, kColFermi, fmt_fixed(length, 8, 3), length);
}

}  // namespace

RowCheck check_atom_row(EntryForm& form, int radiation, int leftRow, int leftColumn, int enteredRow,
                        Messages& messages)
{
    const bool neutron = radiation == kNeutrons;
    AtomGrid& grid = neutron ? form.neutron : form.xray;
    AtomGrid& other = neutron ? form.xray : form.neutron;
    form.insertionRow = enteredRow;
    if (leftRow < 1 || leftRow >= grid.rows())
        return RowCheck::Stop;
    const std::string symbol = trim(grid.text(leftRow, kColSymbol));
    if (symbol.empty()) {
        for (int column = 0; column <= kColPopulation; ++column) {
            form.xray.set_text(leftRow, column, "");
            form.neutron.set_text(leftRow, column, "");
        }
        if (!neutron)
            form.neutron.set_text(leftRow, kColFermi, "");
        return RowCheck::ReadAndRebuild;
    }
    grid.set_text(leftRow, kColSymbol, capitalised(symbol));
    settle_edited_tensor(grid, leftRow, messages);
    complete_row(grid, leftRow);
    const std::string key = short_text(to_upper(symbol), kAtomSymbolLength);
    const auto length = nucleus_fermi_length(key);
    if (!neutron && find_xray_row(xray_key(key)) == 0) {
        grid.set_text(leftRow, leftColumn, "");
        beep_and_warn(messages, "Unknown Ion: " + key);
        return RowCheck::Stop;
    }
    if (neutron && !length) {
        grid.set_text(leftRow, leftColumn, "");
        beep_and_warn(messages, "Unknown nucleus: " + key);
        return RowCheck::Stop;
    }
    // The checked row is mirrored so that both grids describe the same atoms.
    copy_row(grid, other, leftRow);
    if (neutron)
        show_nucleus(grid, leftRow, capitalised(symbol), *length);
    else if (length)
        show_nucleus(other, leftRow, nucleus_key(key), *length);
    return RowCheck::ReadAndRebuild;
}

void insert_atom_row(EntryForm& form, int atomCount, Messages& messages)
{
    AtomGrid& grid = form.xray;
    const int row = form.insertionRow;
    if (row < 1 || row >= grid.rows())
        return;
    if (atomCount + 1 >= grid.rows()) {
        messages.beep();
        return;
    }
    for (int r = atomCount; r >= row; --r)
        for (int column = 0; column < grid.columns(); ++column)
            grid.at(r + 1, column) = grid.at(r, column);
    grid.clear_row(row);
}

}  // namespace kalidos
