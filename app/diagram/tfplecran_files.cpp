// The diagram window's File › Open and File › Save submenus: measured diagrams read, the calculated one written.
#include "diagram/tfplecran.hpp"
#include "diagram_files/diagram_import.hpp"
#include "diagram_files/diagram_writers.hpp"
#include "diagram_files/diagram_writers.hpp"

#include <QAction>
#include <QMenu>

namespace kalidos::app {
namespace {

constexpr int kFirstDiagramHeight = 290; // pixels: the window's height for a first diagram

// The open dialog's types; the kind of diagram (1..6) selects its own.
const std::vector<FileFilter> kDiagramFilters = {{"Brucker format", "*.raw"},  {"Philips format", "*.rd"},
                                                 {"KalidoIS format", "*.sim"}, {"Rietveld format", "*.dat"},
                                                 {"CPI format", "*.cpi"},      {"CPD format", "*.cpd"}};

struct MenuItem {
    const char* name;
    const char* caption;
};

const MenuItem kOpenItems[6] = {
    {"RawformatSiemens1", "&Brucker format (*.raw)"}, {"Philipsformatrd1", "&Philips format (*.rd)"},
    {"SimformatDUNTAR1", "Kalido&S format (*.sim)"},  {"RietVeldformatdat1", "Riet&Veld format (*.dat)"},
    {"CPIformatcpi1", "&CPI format (*.cpi)"},         {"CPDformatcpd1", "CP&D format (*.cpd)"}};

// The save dialog's types; each writer selects its own.
const std::vector<FileFilter> kExportFilters = {{"Simulated diagram file", "*.sim"},
                                                {"Reflections file (DIF)", "*.dif"},
                                                {"Image file", "*.bmp"},
                                                {"Simulated diagram file", "*.cpi"},
                                                {"Simulated diagram", "*.cpd"}};

using Writer = bool (*)(const Workspace&, Messages&, const FileNameChooser&);

struct ExportItem {
    const char* name;
    const char* caption;
    int filterIndex;  // from 0
    Writer writer;
};

const ExportItem kSaveItems[3] = {{"DUNTARformatsim1", "DUNTAR format (*.sim)", 0, &export_diag_sim},
                                  {"CPIformatcpi2", "CPI format (*.cpi)", 3, &ecrit_cpi},
                                  {"Kalidosformatcpd1", "CPD format (*.cpd)", 4, &ecrit_cpd}};

}  // namespace

void Tfplecran::build_save_menu(QMenu* save)
{
    for (const ExportItem& item : kSaveItems) {
        QAction* action = save->addAction(item.caption);
        action->setObjectName(item.name);
        connect(action, &QAction::triggered, this, [this, &item] { export_diagram(item.filterIndex, item.writer); });
    }
    QAction* columns = save->addAction("Columns (*.xy, *.xye, *.csv)");
    columns->setObjectName("Columnsxy1");
    connect(columns, &QAction::triggered, this, &Tfplecran::export_columns);
}

void Tfplecran::export_diagram(int filterIndex, bool (*writer)(const Workspace&, Messages&, const FileNameChooser&))
{
    if (!services_.fileDialogs || !services_.messages)
        return;
    // The writer refuses an empty diagram before it asks for a name.
    writer(workspace_, *services_.messages, [this, filterIndex] {
        FileRequest request;
        request.title = "Save the calculated diagram";
        request.filters = kExportFilters;
        request.filterIndex = filterIndex;
        const auto chosen = services_.fileDialogs->save_file(request);
        return chosen ? chosen->path : std::string();
    });
}

void Tfplecran::build_open_menu(QMenu* open)
{
    QAction* all = open->addAction("&All diagram files");
    all->setObjectName("Alldiagramfiles1");
    connect(all, &QAction::triggered, this, &Tfplecran::lit_diagramme_any);
    for (int kind = 1; kind <= 6; ++kind) {
        QAction* item = open->addAction(kOpenItems[kind - 1].caption);
        item->setObjectName(kOpenItems[kind - 1].name);
        connect(item, &QAction::triggered, this, [this, kind] { lit_diagramme(kind); });
    }
}

std::string Tfplecran::choose_diagram_file(const std::vector<FileFilter>& filters, int filterIndex)
{
    if (!services_.fileDialogs || !services_.messages)
        return {};
    if (workspace_.results.pattern.pointCount == 0 && workspace_.observed.count == 0)
        resize(width(), kFirstDiagramHeight);
    FileRequest request;
    request.title = "Open a diagram";
    request.filters = filters;
    request.filterIndex = filterIndex;
    const auto chosen = services_.fileDialogs->open_file(request);
    return chosen ? chosen->path : std::string();
}

void Tfplecran::lit_diagramme(int kind)
{
    const std::string path = choose_diagram_file(kDiagramFilters, kind - 1);
    if (path.empty())  // cancelled: nothing read, nothing redrawn
        return;
    if (kind == static_cast<int>(DiagramKind::Raw) && holds_raw4_diagram(path))
        open_measured(path);  // a RAW4 file named .raw: read by its content
    else
        open_described(kind, path);
}

void Tfplecran::open_described(int kind, const std::string& path)
{
    ImportResult result = kalidos::lit_diagramme(workspace_, *services_.messages, kind, path);
    if (result.status == ImportStatus::WavelengthNeeded) {
        const auto wavelengths =
            services_.askScanWavelengths ? services_.askScanWavelengths() : std::optional<ScanWavelengths>{};
        if (!wavelengths)
            return;
        result = complete_rietveld_import(workspace_, *services_.messages, *wavelengths);
    }
    after_import(result);
}

void Tfplecran::after_import(const ImportResult& result)
{
    if (result.status != ImportStatus::Added)
        return;
    if (result.radiationAdopted && services_.radiationAdopted)
        services_.radiationAdopted();
    dessine();
}

}  // namespace kalidos::app
