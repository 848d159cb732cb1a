// The main window's data entry: the controls copied to the entry form and back, and the handlers
// that read, check and refresh the entries.
#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>

#include "anomalous/anomalous_grid.hpp"
#include "computation/scattering.hpp"
#include "entry/atom_entry.hpp"
#include "entry/cell_entry.hpp"
#include "entry/range_entry.hpp"
#include "entry/read_entries.hpp"
#include "main_window/grid_bridge.hpp"
#include "main_window/tfmain.hpp"
#include "dialogs/sample_profile_dialog.hpp"

namespace kalidos::app {

namespace {

std::string text_of(const QLineEdit* edit) { return edit->text().toStdString(); }

void set_text(QLineEdit* edit, const std::string& text)
{
    const QString value = QString::fromStdString(text);
    if (edit->text() != value)
        edit->setText(value);
}

}  // namespace

void Tfmain::controls_to_form()
{
    EntryForm& f = *form_;
    for (int i = 0; i < 6; ++i)
        f.cell[static_cast<std::size_t>(i)] = text_of(cellEdits_[i]);
    const auto selected = listBox2_->selectedItems();
    f.systemIndex = selected.isEmpty() ? -1 : listBox2_->row(selected.first());
    f.title = text_of(edit29_);
    f.lambda = text_of(edit11_);
    f.lower = text_of(edit14_);
    f.upper = text_of(edit17_);
    f.u = text_of(edit19_);
    f.v = text_of(edit21_);
    f.w = text_of(edit25_);
    read_atom_table(*stringGrid1_, f.xray);
    read_atom_table(*stringGrid4_, f.neutron);
    read_text_table(*stringGrid2_, workspace_.anomalousGrid);
}

void Tfmain::form_to_controls()
{
    const EntryForm& f = *form_;
    for (int i = 0; i < 6; ++i) {
        const CellEditLook look = f.cellLook[static_cast<std::size_t>(i)];
        set_text(cellEdits_[i], f.cell[static_cast<std::size_t>(i)]);
        cellEdits_[i]->setReadOnly(look.locked);
        cellEdits_[i]->setStyleSheet(look.grey ? "QLineEdit { background: #c0c0c0; }"
                                               : "QLineEdit { background: white; }");
    }
    if (f.systemIndex >= 0)
        listBox2_->setCurrentRow(f.systemIndex);
    else
        listBox2_->clearSelection();
    set_text(edit29_, f.title);
    set_text(edit11_, f.lambda);
    set_text(edit14_, f.lower);
    set_text(edit17_, f.upper);
    write_atom_table(*stringGrid1_, f.xray);
    write_atom_table(*stringGrid4_, f.neutron);
}

bool Tfmain::read_entries()
{
    if (reading_)
        return false;
    reading_ = true;
    clear_results();
    controls_to_form();
    const EntryReadResult result = kalidos::read_entries(workspace_, *form_, *services_.messages);
    // The wavelength is read after the atoms: the anomalous grid follows it once it was reached.
    const bool wavelengthRead = result.complete || result.refocusField == 8 || result.refocusField == 9;
    form_to_controls();
    if (wavelengthRead)
        show_anomalous();
    if (result.refocusField > 0) {
        QLineEdit* edits[13] = {nullptr, cellEdits_[0], cellEdits_[1], cellEdits_[2], cellEdits_[3],
                                cellEdits_[4], cellEdits_[5], edit11_, edit14_, edit17_, edit19_,
                                edit21_, edit25_};
        edits[result.refocusField]->setFocus(Qt::OtherFocusReason);
    }
    reading_ = false;
    structure_changed();
    return result.complete;
}

void Tfmain::apply_system()
{
    controls_to_form();
    kalidos::apply_system(*form_, workspace_.model);
    form_to_controls();
}

void Tfmain::show_cell()
{
    controls_to_form();
    kalidos::show_cell(*form_, workspace_.model, workspace_.abscissaMode);
    form_to_controls();
}

void Tfmain::show_range()
{
    kalidos::show_range(*form_, workspace_.model, workspace_.abscissaMode);
    set_text(edit11_, form_->lambda);
    set_text(edit14_, form_->lower);
    set_text(edit17_, form_->upper);
}

void Tfmain::show_refined_structure()
{
    show_atoms();
    show_cell();
    const StructureModel& model = workspace_.model;
    edit19_->setText(QString::number(model.u, 'g', 6));
    edit21_->setText(QString::number(model.v, 'g', 6));
    edit25_->setText(QString::number(model.w, 'g', 6));
    if (sampleProfile_->isVisible())
        sampleProfile_->start();
}

void Tfmain::show_atoms()
{
    controls_to_form();
    kalidos::show_atoms(*form_, workspace_.model, *services_.messages);
    form_to_controls();
}

void Tfmain::rebuild_elements()
{
    rebuild_element_table(workspace_.model, *services_.messages);
    show_anomalous();
}

void Tfmain::show_anomalous()
{
    kalidos::show_anomalous(workspace_);
    write_text_table(*stringGrid2_, workspace_.anomalousGrid);
}

void Tfmain::clear_anomalous_grid()
{
    kalidos::clear_anomalous_grid(workspace_);
    write_text_table(*stringGrid2_, workspace_.anomalousGrid);
}

void Tfmain::clear_grids()
{
    for (QTableWidget* grid : {stringGrid1_, stringGrid4_})
        grid->clearContents();
    for (int r = 1; r < stringGrid2_->rowCount(); ++r)
        for (int c = 0; c < stringGrid2_->columnCount(); ++c)
            if (QTableWidgetItem* item = stringGrid2_->item(r, c))
                item->setText(QString());
    form_->xray.clear_atoms();
    form_->neutron.clear_atoms();
}

void Tfmain::reset_spectre_res()
{
    StructureModel& model = workspace_.model;
    if (model.elementCount > 0 && model.wavelengths.count > 0) {
        zero_anomalous_factors(model);
        show_anomalous();
    }
    clear_results();
}

void Tfmain::numero_case(int field)
{
    workspace_.model.focusedField = field;
    if (field == 7) {
        listBox4_->clearSelection();
        listBox4_->setCurrentRow(-1);
    }
}

void Tfmain::entree_lambda()
{
    reset_spectre_res();
    numero_case(7);
}

void Tfmain::verif_frappe_edit() { read_entries(); }

void Tfmain::lecture_donnees()
{
    edit8_->clear();
    edit9_->clear();
    edit12_->clear();
    workspace_.model.spaceGroupSymbol.clear();
    workspace_.model.structureFileName.clear();
    workspace_.model.openedFileName.clear();
    set_data_caption("");
    read_entries();
}

void Tfmain::maj_to_min(int radiation, int leftRow, int leftColumn, int enteredRow)
{
    if (workspace_.model.radiation != radiation || reading_)
        return;
    controls_to_form();
    const RowCheck check =
        check_atom_row(*form_, radiation, leftRow, leftColumn, enteredRow, *services_.messages);
    form_to_controls();
    if (check == RowCheck::ReadAndRebuild) {
        read_entries();
        rebuild_elements();
    }
}

void Tfmain::StringGrid1DblClick()
{
    controls_to_form();
    insert_atom_row(*form_, workspace_.model.atomCount, *services_.messages);
    form_to_controls();
}

}  // namespace kalidos::app
