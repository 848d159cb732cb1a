#include "diagram_files/measured_import.hpp"

#include <algorithm>

#include "diagram_files/scan_reading.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {

double mean_wavelength(const MeasuredWavelengths& w)
{
    if (w.lambda2 > 0 && w.ratio > 0)
        return (w.ratio * w.lambda2 + w.lambda1) / (w.ratio + 1);
    return w.lambda1;
}

void give_wavelengths(MeasuredDiagram& diagram, const ScanWavelengths& given)
{
    MeasuredWavelengths& w = diagram.wavelengths;
    const bool pair = given.lambda1 > 0 && given.lambda2 > 0;
    w.lambda1 = pair ? given.lambda1 : given.meanLambda;
    w.lambda2 = pair ? given.lambda2 : 0;
    w.ratio = pair ? given.ratio : 0;
    w.anode = given.anode;
}

ImportResult add_measured_diagram(Workspace& workspace, Messages& messages, std::shared_ptr<MeasuredDiagram> diagram,
                                  int scanIndex)
{
    if (scanIndex < 0 || static_cast<std::size_t>(scanIndex) >= diagram->scans.size()) {
        refuse_file(messages, diagram->fileName,
                    "the file holds " + std::to_string(diagram->scans.size()) + " scan(s), not a scan " +
                        std::to_string(scanIndex + 1));
        return {};
    }
    const MeasuredScan& scan = diagram->scans[static_cast<std::size_t>(scanIndex)];
    if (scan.twoTheta.empty()) {
        refuse_file(messages, diagram->fileName, "the scan holds no points");
        return {};
    }
    const auto [imin, imax] = std::minmax_element(scan.intensity.begin(), scan.intensity.end());
    if (!(*imax > *imin)) {
        refuse_file(messages, diagram->fileName,
                    "every intensity equals " + fmt_fixed(*imax, 0, 5) + ": the diagram cannot be scaled");
        return {};
    }
    const auto [first, last] = std::minmax_element(scan.twoTheta.begin(), scan.twoTheta.end());
    const double low = *imin, span = *imax - *imin;
    const ScanHeader header{diagram->fileName, *first, *last, mean_wavelength(diagram->wavelengths), diagram,
                            scanIndex};
    const ScanPoints points{static_cast<int>(scan.twoTheta.size()),
                            [&](int i) { return scan.twoTheta[static_cast<std::size_t>(i - 1)]; },
                            [&](int i) { return (scan.intensity[static_cast<std::size_t>(i - 1)] - low) * 100 / span; }};
    const ImportResult result = add_observed_slot(workspace, messages, header, points);
    if (result.status != ImportStatus::Added)
        return result;
    RawScan& raw = workspace.rawScan;
    raw.fileName = diagram->fileName;
    raw.pointCount = raw.angle.count = raw.intensity.count = 0;
    raw.lambda1 = diagram->wavelengths.lambda1;
    raw.lambda2 = diagram->wavelengths.lambda2;
    raw.ratio = diagram->wavelengths.ratio;
    raw.meanLambda = header.meanLambda;
    raw.anode = diagram->wavelengths.anode;
    raw.firstAngle = *first;
    raw.lastAngle = *last;
    raw.imin = *imin;
    raw.imax = *imax;
    raw.sampleIdentification = scan.name;
    raw.measured = std::move(diagram);
    return result;
}

}  // namespace kalidos
