#include "diagram_files/any_diagram_file.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

#include "diagram_files/diagram_import.hpp"  // for described_diagram_kind, describe_scan_wavelengths
#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/measured_readers.hpp"

namespace kalidos {
namespace {

bool read_scan(RawScan& scan, int kind, Messages& messages)
{
    switch (kind) {
    case 1:
    case 3: return !lit_raw(scan, messages);
    case 2: return !lit_philips(scan, messages);
    case 4: return !lit_rietveld(scan, messages);
    case 5:
    case 6: return !lit_cpi(scan, messages);
    default: return false;
    }
}

bool read_described(const std::string& path, int kind, MeasuredDiagram& diagram, Messages& messages)
{
    auto scan = std::make_unique<RawScan>();
    scan->fileName = path;
    if (!read_scan(*scan, kind, messages) || !scan->measured)
        return false;
    diagram = *scan->measured;
    describe_scan_wavelengths(*scan, diagram);
    diagram.fileName = path;
    std::string format = std::filesystem::path(path).extension().string().substr(1);
    std::transform(format.begin(), format.end(), format.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    diagram.format = format;
    diagram.scans[0].name = scan->sampleIdentification;
    return true;
}

}  // namespace

bool read_any_diagram_file(const std::string& path, MeasuredDiagram& diagram, Messages& messages)
{
    const int kind = described_diagram_kind(path);
    if (kind == 0)
        return read_measured_file(path, diagram, messages);
    if (kind != static_cast<int>(DiagramKind::Rietveld))
        return read_described(path, kind, diagram, messages);
    // .dat is also the usual name of plain x-y columns: such a file is read as columns, and the
    // Rietveld reader's refusal stands only when the columns cannot be read either.
    DeferredMessages asRietveld(messages);
    if (read_described(path, kind, diagram, asRietveld)) {
        asRietveld.replay();
        return true;
    }
    SilentMessages asColumns;
    if (read_measured_file(path, diagram, asColumns))
        return true;
    asRietveld.replay();
    return false;
}

}  // namespace kalidos
