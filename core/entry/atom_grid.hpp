// The atom grids of the main window as text cells that remember the exact value they show.
#pragma once

#include <string>
#include <vector>

#include "model/structure_model.hpp"  // for kMaxAtoms

namespace kalidos {

// Columns of both atom grids; the neutron grid has the Fermi length as well.
enum AtomColumn { kColSymbol = 0, kColLabel, kColX, kColY, kColZ, kColB, kColPopulation, kColFermi };
inline constexpr int kXrayGridColumns = 7;
inline constexpr int kNeutronGridColumns = 8;
// Row 0 is the header; rows 1..kMaxAtoms hold atoms, so every atom of the model has a row.
inline constexpr int kAtomGridRows = kMaxAtoms + 1;

// A cell shows a rounded text; `value` is the exact number it was written from. The number is
// valid only while the text is still the one written (`shown`), so an edited cell reads its text.
// The B cell of an atom read with anisotropic displacement also carries its tensor, so that the
// tensor follows the row through edits, insertions and the copy between the grids; the label cell
// carries the file's own site label alike, valid while the row's symbol and label are the ones
// written (`shown` holds them as "symbol|label").
struct AtomCell {
    std::string text;
    std::string shown;
    double value = 0;
    bool hasValue = false;
    AnisotropicDisplacement tensor;
    std::string siteLabel;
};

class AtomGrid {
public:
    explicit AtomGrid(int columns) : columns_(columns), cells_(static_cast<std::size_t>(kAtomGridRows * columns)) {}

    int rows() const { return kAtomGridRows; }
    int columns() const { return columns_; }
    AtomCell& at(int row, int column) { return cells_[index(row, column)]; }
    const AtomCell& at(int row, int column) const { return cells_[index(row, column)]; }
    const std::string& text(int row, int column) const { return at(row, column).text; }
    // A text typed or written as text: no exact value behind it.
    void set_text(int row, int column, const std::string& text) { at(row, column) = AtomCell{text, {}, 0, false, {}, {}}; }
    // A number shown rounded, read back exactly while the text stays unchanged.
    void set_number(int row, int column, const std::string& text, double value)
    {
        at(row, column) = AtomCell{text, text, value, true, {}, {}};
    }
    void clear_row(int row)
    {
        for (int c = 0; c < columns_; ++c)
            at(row, c) = AtomCell{};
    }
    void clear_atoms()
    {
        for (int r = 1; r < kAtomGridRows; ++r)
            clear_row(r);
    }

private:
    std::size_t index(int row, int column) const { return static_cast<std::size_t>(row * columns_ + column); }
    int columns_;
    std::vector<AtomCell> cells_;
};

}  // namespace kalidos
