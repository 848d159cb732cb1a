// Structure files named outside the open dialog: on the command line, dropped on the window or
// chosen again from a list.
#include <QLineEdit>
#include <QListWidget>
#include <filesystem>

#include "main_window/tfmain.hpp"
#include "readers/structure_format.hpp"

namespace kalidos::app {

bool Tfmain::open_structure_named(const std::string& path)
{
    const int format = structure_format_of(path);
    if (format == 0) {
        forget_structure();
        services_.messages->warning("No structure read from " + std::filesystem::path(path).filename().string() +
                                    ": KALIDOS reads structures from .cry, .ins, .inp, .res, .cel, .lzy and"
                                    " .cif files");
        return false;
    }
    prepare_for_read(format, path);
    if (read_structure(format))
        return true;
    forget_structure(); // the reader has said why
    return false;
}

bool Tfmain::choose_anode_named(const std::string& name)
{
    const auto found = listBox4_->findItems(QString::fromStdString(name), Qt::MatchFixedString);
    if (found.isEmpty()) {
        services_.messages->warning("The Anode list has no line " + name);
        return false;
    }
    listBox4_->setCurrentItem(found.first());
    set_lambda(listBox4_->row(found.first()));
    return true;
}

// What a refused file may have left: its title, cell, group and atoms.
void Tfmain::forget_structure()
{
    StructureModel& model = workspace_.model;
    model.title.clear();
    model.structureFileName.clear();
    model.openedFileName.clear();
    model.crystalSystem.clear();
    model.spaceGroupSymbol.clear();
    model.cell = {};
    model.atomCount = 0;
    model.elementCount = 0;
    clear_results();
    clear_grids();
    for (QLineEdit* edit : cellEdits_)
        edit->clear();
    for (QLineEdit* edit : {edit8_, edit9_, edit12_, edit29_})
        edit->clear();
    set_data_caption("");
    show_anomalous();
}

}  // namespace kalidos::app
