// File › Open › All diagram files: a measured diagram in any format, recognised by its content.
#include "diagram/tfplecran.hpp"
#include "diagram_files/diagram_import.hpp"  // for described_diagram_kind
#include "diagram_files/measured_import.hpp"
#include "diagram_files/measured_readers.hpp"


namespace kalidos::app {
namespace {

const std::vector<FileFilter> kAnyDiagramFilters = {
    {"All diagram files",
     "*.raw *.rd *.sim *.dat *.cpi *.cpd *.xrdml *.brml *.ras *.rasx *.xy *.xye *.csv *.txt *.gsa *.gss *.fxye "
     "*.uxd *.cif"},
    {"All files", "*"}};

}  // namespace

void Tfplecran::lit_diagramme_any()
{
    const std::string path = choose_diagram_file(kAnyDiagramFilters, 0);
    if (!path.empty())
        open_diagram_named(path);
}

void Tfplecran::open_diagram_named(const std::string& path)
{
    if (const int kind = described_diagram_kind(path))
        open_described(kind, path);
    else
        open_measured(path);
}

// Read, then the scan and the wavelengths asked when needed; a refusal or a cancel changes nothing.
void Tfplecran::open_measured(const std::string& path)
{
    auto diagram = std::make_shared<MeasuredDiagram>();
    if (!read_measured_file(path, *diagram, *services_.messages))
        return;
    diagram->fileName = path;
    int scan = 0;
    if (diagram->scans.size() > 1 && services_.chooseScan) {
        std::vector<std::string> names;
        for (const MeasuredScan& s : diagram->scans)
            names.push_back(s.name);
        const std::optional<int> picked = services_.chooseScan(names);
        if (!picked)
            return;
        scan = *picked;
    }
    if (!diagram->wavelengths.stated()) {
        const auto given =
            services_.askScanWavelengths ? services_.askScanWavelengths() : std::optional<ScanWavelengths>{};
        if (!given)
            return;
        give_wavelengths(*diagram, *given);
    }
    after_import(add_measured_diagram(workspace_, *services_.messages, std::move(diagram), scan));
}

}  // namespace kalidos::app
