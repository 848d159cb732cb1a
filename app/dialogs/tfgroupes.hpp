// The space-group dialog "Select a space group": catalogue and standard lists, equivalent positions.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "model/workspace.hpp"
#include "symmetry/catalogue.hpp"
#include "symmetry/group_selection.hpp"
#include "ui/messages.hpp"

class QListWidget;
class QTableWidget;

namespace kalidos::app {

class Tfgroupes : public QDialog {
    Q_OBJECT
public:
    Tfgroupes(Workspace& workspace, Messages& messages, QWidget* parent = nullptr);

    // Fills both lists for the model's crystal system and applies the model's symbol when a list
    // knows it; also run without showing the dialog after a structure file was read.
    void init();
    // Fills both lists and shows the model's group (applied already, by a structure reader) in
    // the lists and the main window's fields, without applying it again.
    void show_group_of_model();
    void selecte_groupe_getspec(int row);
    void selecte_groupe_HM(int row);
    // OK: false (the dialog stays) while no group is selected.
    bool sortie_ok();
    void sortie_cancel() { hide(); }
    // Whether a row of the catalogue list is selected (the calculation's monoclinic Q check).
    bool catalogue_row_selected() const;

    // The main window's space-group fields follow every group applied.
    std::function<void(const GroupFields&)> on_group_applied;

protected:
    bool event(QEvent* event) override;

private:
    void after_selection(const SelectionResult& result);
    void show_operators();
    void fill_lists();

    Workspace& workspace_;
    Messages& messages_;
    std::vector<CatalogueRow> catalogue_;
    std::vector<std::string> standard_;
    QListWidget* listBox3_ = nullptr;
    QListWidget* listBox1_ = nullptr;
    QTableWidget* stringGrid1_ = nullptr;
};

}  // namespace kalidos::app
