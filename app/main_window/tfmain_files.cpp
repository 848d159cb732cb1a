// File › Open and Save of the main window: the dialogs, the readers and the refresh after a read.
#include <QLineEdit>
#include <QListWidget>

#include "dialogs/tfgroupes.hpp"
#include "dialogs/tform3.hpp"
#include "dialogs/tform3.hpp"
#include "entry/cell_entry.hpp"
#include "main_window/tfmain.hpp"
#include "platform/wait_cursor.hpp"
#include "readers/cry_file.hpp"
#include "readers/open_structure_file.hpp"
#include "structure/tfstructure.hpp"

namespace kalidos::app {

namespace {

// The open dialog's types, in the order of the formats 1..6 (the ICSD item is never enabled).
const std::vector<FileFilter>& open_filters()
{
    static const std::vector<FileFilter> filters = {
        {"KalidoS format (*.cry)", "*.cry"},
        {"Shelx format (*.inp, *.inp,*res)", "*.inp *.ins *.res"},
        {"PowderCell format (*.cel)", "*.cel"},
        {"Lazy-Pulverix format (*.lzy)", "*.lzy"},
        {"ICSD format (*.ics)", "*.ics"},
        {"Crystallographic Information File (*.cif)", "*.cif"}};
    return filters;
}

std::string file_name_part(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

// Shows the open dialog first: a cancelled dialog leaves the model and the window as they were.
bool Tfmain::run_open_dialog(int format)
{
    StructureModel& model = workspace_.model;
    FileRequest request;
    request.title = "Open";
    request.filters = open_filters();
    request.filterIndex = format - 1;
    request.directory = model.startDirectory;
    const auto chosen = services_.fileDialogs->open_file(request);
    if (!chosen || chosen->path.empty())
        return false;
    prepare_for_read(format, chosen->path);
    return true;
}

// Once a file is chosen the space group, the system, the grids and the results are emptied.
void Tfmain::prepare_for_read(int format, const std::string& path)
{
    StructureModel& model = workspace_.model;
    model.importFormat = format;
    edit8_->clear();
    edit9_->clear();
    edit12_->clear();
    model.crystalSystem.clear();
    clear_results();
    clear_grids();
    model.structureFileName = path;
    set_data_caption(file_name_part(path));
    model.spaceGroupSymbol.clear();
}

bool Tfmain::read_structure(int format)
{
    StructureModel& model = workspace_.model;
    OpenRequest request;
    request.format = format;
    request.fileName = model.structureFileName;
    const std::string path = model.structureFileName;  // the reader keeps only the name
    request.dataDirectory = data_folder(model);
    OpenStatus status;
    {
        WaitCursor hourglass;
        status = open_structure_file(model, request, *services_.messages, form3_);
    }
    if (status == OpenStatus::Read) {
        after_structure_read();
        if (structureRead_)
            structureRead_(path);
    }
    return status == OpenStatus::Read;
}

void Tfmain::open_structure(int format)
{
    if (run_open_dialog(format))
        read_structure(format);
}

void Tfmain::cif_format() { open_structure(kFormatCif); }

// The refresh after a successful read: grids, system, group looked up and applied, elements,
// anomalous grid, cell.
void Tfmain::after_structure_read()
{
    StructureModel& model = workspace_.model;
    show_atoms();
    const int system = system_index(model.crystalSystem);
    if (system >= 0)
        listBox2_->setCurrentRow(system);
    else
        listBox2_->clearSelection();
    // The reader has looked the group up and applied it: the dialog only shows it.
    groupes_->show_group_of_model();
    rebuild_elements();
    show_anomalous();
    show_cell();
    structure_->structure_opened();
    structure_changed();
}

void Tfmain::sauve_donnees()
{
    if (!read_entries())
        return;
    StructureModel& model = workspace_.model;
    const CellParameters& c = model.cell;
    if (c.a * c.b * c.c * c.alpha * c.beta * c.gamma == 0 || model.spaceGroupSymbol.empty() ||
        model.atomCount == 0) {
        beep_and_warn(*services_.messages, "Incomplete Data!");
        return;
    }
    FileRequest request;
    request.title = "Save";
    request.filters = {{"Data file (*.cry)", "*.cry"}};
    request.directory = model.startDirectory;
    request.fileName = file_name_part(model.structureFileName);
    const auto chosen = services_.fileDialogs->save_file(request);
    const SaveResult result = save_structure_file(model, chosen ? chosen->path : std::string(), *services_.messages);
    if (result.status == SaveStatus::Saved)
        set_data_caption(file_name_part(result.writtenFile.string()));
}

}  // namespace kalidos::app
