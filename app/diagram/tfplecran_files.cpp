// The diagram window's File › Open submenu: measured diagrams of six kinds.
#include "diagram/tfplecran.hpp"
#include "diagram_files/diagram_import.hpp"

#include <QAction>
#include <QMenu>

namespace kalidos::app
{
namespace
{

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

} // namespace

void Tfplecran::build_open_menu(QMenu* open)
{
    for (int kind = 1; kind <= 6; ++kind) {
        QAction* item = open->addAction(kOpenItems[kind - 1].caption);
        item->setObjectName(kOpenItems[kind - 1].name);
        connect(item, &QAction::triggered, this, [this, kind] { lit_diagramme(kind); });
    }
}

void Tfplecran::lit_diagramme(int kind)
{
    if (!services_.fileDialogs || !services_.messages)
        return;
    if (workspace_.results.pattern.pointCount == 0 && workspace_.observed.count == 0)
        resize(width(), kFirstDiagramHeight);
    FileRequest request;
    request.title = "Open a diagram";
    request.filters = kDiagramFilters;
    request.filterIndex = kind - 1;
    const auto chosen = services_.fileDialogs->open_file(request);
    if (!chosen || chosen->path.empty())
        return; // cancelled: nothing read, nothing redrawn
    ImportResult result = kalidos::lit_diagramme(workspace_, *services_.messages, kind, chosen->path);
    if (result.status == ImportStatus::WavelengthNeeded) {
        const auto wavelengths =
            services_.askScanWavelengths ? services_.askScanWavelengths() : std::optional<ScanWavelengths>{};
        if (!wavelengths)
            return;
        result = complete_rietveld_import(workspace_, *services_.messages, *wavelengths);
    }
    if (result.status != ImportStatus::Added)
        return;
    if (result.radiationAdopted && services_.radiationAdopted)
        services_.radiationAdopted();
    dessine();
}

} // namespace kalidos::app
