// The main window and the Structure window: the picture follows the model, and a row of the atom
// grid and the atom's images in the picture are selected together.
#include <QPushButton>
#include <QTableWidget>

#include "main_window/tfmain.hpp"
#include "structure/tfstructure.hpp"

namespace kalidos::app {

void Tfmain::connect_structure_window()
{
    connect(structureButton_, &QPushButton::clicked, this, [this] { structure_->start(); });
    for (QTableWidget* grid : {stringGrid1_, stringGrid4_})
        connect(grid, &QTableWidget::itemSelectionChanged, this, [this, grid] {
            const QList<QTableWidgetItem*> selected = grid->selectedItems();
            structure_->highlight_atom(selected.isEmpty() ? 0 : selected.first()->row() + 1);
        });
}

void Tfmain::structure_changed()
{
    if (structure_ && structure_->isVisible())
        structure_->follow_model();
}

// Selects the row without making it current: the grid's row check runs when the current cell moves.
void Tfmain::select_atom_row(int atom)
{
    QTableWidget* grid = workspace_.model.radiation == kNeutrons ? stringGrid4_ : stringGrid1_;
    if (atom < 1 || atom > grid->rowCount())
        return;
    const QModelIndex first = grid->model()->index(atom - 1, 0);
    grid->selectionModel()->select(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid->scrollTo(first);
}

}  // namespace kalidos::app
