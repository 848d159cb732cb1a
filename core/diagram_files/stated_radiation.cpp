#include "diagram_files/stated_radiation.hpp"

#include <memory>

#include "diagram_files/diagram_import.hpp"
#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/measured_readers.hpp"
#include "ui/messages.hpp"  // for SilentMessages

namespace kalidos {
namespace {

// The described kinds' readers by kind (1 .raw and .sim, 2 .rd, 4 .dat, 5 .cpi, 6 .cpd).
bool read_described(int kind, RawScan& scan, Messages& messages)
{
    switch (static_cast<DiagramKind>(kind)) {
    case DiagramKind::Raw:
    case DiagramKind::Sim: return !lit_raw(scan, messages);
    case DiagramKind::Philips: return !lit_philips(scan, messages);
    case DiagramKind::Rietveld: return !lit_rietveld(scan, messages);
    case DiagramKind::Cpi:
    case DiagramKind::Cpd: return !lit_cpi(scan, messages);
    }
    return false;
}

}  // namespace

StatedRadiation stated_radiation(const std::string& fileName)
{
    static const char* const kFormats[] = {"", "raw", "rd", "sim", "dat", "cpi", "cpd"};
    SilentMessages quiet;
    StatedRadiation stated;
    const int kind = described_diagram_kind(fileName);
    if (kind == 0) {
        MeasuredDiagram diagram;
        if (read_measured_file(fileName, diagram, quiet)) {
            stated.wavelengths = diagram.wavelengths;
            stated.format = diagram.format;
        }
        return stated;
    }
    auto scan = std::make_unique<RawScan>();
    scan->fileName = fileName;
    if (kind >= 1 && kind <= 6 && read_described(kind, *scan, quiet)) {
        MeasuredDiagram diagram;
        describe_scan_wavelengths(*scan, diagram);
        stated.wavelengths = diagram.wavelengths;
        stated.format = kFormats[kind];
    }
    return stated;
}

}  // namespace kalidos
