// The File › Open entry of the diagram window: the reader of each kind, then range_diagramme.
#include <fstream>

#include "diagram_files/diagram_import.hpp"
#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/scan_reading.hpp"

namespace kalidos {
namespace {

// A Rietveld file whose first line is empty (or blank) does not state its wavelength.
bool first_line_is_empty(const std::string& fileName, Messages& messages, bool& empty)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        refuse_file(messages, fileName, "the file cannot be read");
        return false;
    }
    std::string line;
    std::getline(in, line);
    empty = trim_blanks(line).empty();
    return true;
}

// The format's short name and the unit of its intensities: the binary and Rietveld files hold
// counts per step; CPI, CPD and .sim files may hold any values (this program writes its
// calculated 0..100 diagrams into them).
void name_format(RawScan& scan, DiagramKind kind)
{
    static const char* const names[] = {"", "raw", "rd", "sim", "dat", "cpi", "cpd"};
    if (!scan.measured)
        return;
    scan.measured->format = names[static_cast<int>(kind)];
    const bool counts = kind == DiagramKind::Raw || kind == DiagramKind::Philips || kind == DiagramKind::Rietveld;
    scan.measured->scans.front().unit = counts ? "counts" : "";
}

}  // namespace

ImportResult lit_diagramme(Workspace& workspace, Messages& messages, int kind, const std::string& fileName)
{
    if (fileName.empty() || kind < 1 || kind > 6)
        return {};
    if (workspace.observed.count >= kMaxObservedDiagrams)
        return range_diagramme(workspace, messages);  // refuses before anything is read
    RawScan& scan = workspace.rawScan;
    scan.fileName = fileName;
    bool error = true;
    switch (static_cast<DiagramKind>(kind)) {
    case DiagramKind::Raw:
    case DiagramKind::Sim:
        error = lit_raw(scan, messages);
        break;
    case DiagramKind::Philips:
        error = lit_philips(scan, messages);
        break;
    case DiagramKind::Cpi:
    case DiagramKind::Cpd:
        error = lit_cpi(scan, messages);
        break;
    case DiagramKind::Rietveld: {
        bool empty = false;
        if (!first_line_is_empty(fileName, messages, empty))
            return {};
        if (empty)
            return {ImportStatus::WavelengthNeeded, false};
        error = lit_rietveld(scan, messages);
        break;
    }
    }
    if (error)
        return {};
    name_format(scan, static_cast<DiagramKind>(kind));
    return range_diagramme(workspace, messages);
}

ImportResult complete_rietveld_import(Workspace& workspace, Messages& messages,
                                      const ScanWavelengths& wavelengths)
{
    RawScan& scan = workspace.rawScan;
    if (lit_rietveld(scan, messages)) {
        messages.warning("Read error in the Rietveld file!");
        return {};
    }
    scan.meanLambda = wavelengths.meanLambda;
    scan.lambda1 = wavelengths.lambda1;
    scan.lambda2 = wavelengths.lambda2;
    scan.ratio = wavelengths.ratio;
    scan.anode = wavelengths.anode;
    name_format(scan, DiagramKind::Rietveld);
    return range_diagramme(workspace, messages);
}

}  // namespace kalidos
