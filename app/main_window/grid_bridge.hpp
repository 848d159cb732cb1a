// Copies between the Qt string grids and the data entry's grids of text cells.
#pragma once

#include "entry/atom_grid.hpp"
#include "model/text_grid.hpp"

#include <QColor>

class QTableWidget;

namespace kalidos::app {

// Table row r holds atom r + 1 (the header row is the table's own header). Each item keeps the
// exact value it was written from and the text it showed, so that an unedited cell reads back
// exactly.
void read_atom_table(const QTableWidget& table, AtomGrid& grid);
void write_atom_table(QTableWidget& table, const AtomGrid& grid);

// The colour of the anomalous grid's header row (the program's 14090216, blue-green-red order).
inline const QColor kAnomalousHeaderColour{232, 255, 214};

// The anomalous grid keeps its two header rows as cells: table row r is grid row r. Writing it
// also paints its header row (row 1) light green with red text.
void read_text_table(const QTableWidget& table, TextGrid& grid);
void write_text_table(QTableWidget& table, const TextGrid& grid);

}  // namespace kalidos::app
