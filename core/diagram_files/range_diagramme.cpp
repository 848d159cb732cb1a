// The RawScan into the next ObservedSlot: adoption of the first diagram's radiation and range,
// the wavelength check, and nearest-point resampling onto the 1015 slots.
#include <cmath>
#include <numbers>

#include "diagram_files/diagram_import.hpp"
#include "diagram_files/measured_radiation.hpp"
#include "diagram_files/scan_reading.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

constexpr double kHalfDegreeAdoption = 0.0087266584;   // degrees of 2θ to radians of θ (range limits)
constexpr double kHalfDegreeResample = 0.0087266431;   // the same for the slots' Q
constexpr double kWavelengthTolerance = 0.05;           // Å
constexpr std::size_t kSlotNameLength = 50;

double q_of(double twoTheta, double halfDegree, double lambda)
{
    return lambda > 0 ? 4 * std::numbers::pi * std::sin(twoTheta * halfDegree) / lambda : 0;
}

// The first diagram read while no radiation is defined sets the range and the wavelength (its
// mean; adopt_stated_lines then puts a stated doublet in its place). A file that gives no
// wavelength (0) sets the range only.
void adopt_radiation(StructureModel& model, const ScanHeader& header)
{
    model.twoTheta1 = model.enteredTwoTheta1 = header.firstAngle;
    model.twoTheta2 = model.enteredTwoTheta2 = header.lastAngle;
    const double lambda = header.meanLambda;
    if (!(lambda > 0))
        return;
    WavelengthSet& set = model.wavelengths;
    model.typedWavelength = lambda;
    set.count = 1;
    set.values[1] = lambda;
    set.weights[1] = 1;  // a single wavelength weighs 1, whatever the set held before
    set.shortest = set.longest = lambda;
    model.q1 = model.enteredQ1 = q_of(model.twoTheta1, kHalfDegreeAdoption, lambda);
    model.q2 = model.enteredQ2 = q_of(model.twoTheta2, kHalfDegreeAdoption, lambda);
}

// A first diagram stating Kα1 and Kα2 with their ratio gives both lines, not their mean.
void adopt_stated_lines(Workspace& workspace, const ScanHeader& header, Messages& messages)
{
    if (!header.measured)
        return;
    const MeasuredRadiation radiation = measured_radiation(header.measured->wavelengths, header.measured->format);
    if (radiation.lines.size() > 1 && use_measured_radiation(workspace, radiation, messages))
        messages.warning(radiation_taken_text(header.fileName, radiation,
                                              "the anode list or Multiple wavelengths choose another"));
}

void check_wavelength(const WavelengthSet& set, double lambda, Messages& messages)
{
    for (int i = 1; i <= set.count; ++i) {
        if (std::fabs(set.values[i] - lambda) < kWavelengthTolerance)
            return;
    }
    messages.warning("Warning: The read wavelength (" + fmt_fixed(lambda, 8, 5) +
                     ") is different from the current one (" + fmt_fixed(set.values[1], 8, 5) + ")");
}

// Nearest raw point for each slot, between the first point at or above twoTheta1 and the last
// at or below twoTheta2. A scan lying wholly outside the range leaves every slot at zero.
void resample(const ScanPoints& scan, double meanLambda, const StructureModel& model, ObservedSlot& slot)
{
    const int n = scan.count;
    int first = n + 1, last = 0;
    for (int i = n; i >= 1; --i) {
        if (scan.angle(i) >= model.twoTheta1)
            first = i;
    }
    for (int i = 1; i <= n; ++i) {
        if (scan.angle(i) <= model.twoTheta2)
            last = i;
    }
    slot.points.fill(ObservedPoint{});
    const int slots = kPatternPoints;
    for (int g = 1; g <= slots; ++g) {
        const long idx = std::lround(double(g) * (last - first) / (slots - 1) +
                                     (double(slots) * first - last) / (slots - 1));
        if (idx < first)
            continue;
        if (idx > last)
            break;
        const int i = static_cast<int>(idx);
        slot.points[g] = {scan.angle(i), scan.intensity(i), q_of(scan.angle(i), kHalfDegreeResample, meanLambda)};
    }
}

}  // namespace

ImportResult add_observed_slot(Workspace& workspace, Messages& messages, const ScanHeader& header,
                               const ScanPoints& points)
{
    ObservedPattern& observed = workspace.observed;
    if (observed.count >= kMaxObservedDiagrams) {
        beep_and_warn(messages, "Ten observed diagrams are already shown: erase them before reading another one");
        return {};
    }
    if (points.count < 1)
        return {};
    StructureModel& model = workspace.model;
    ImportResult result{ImportStatus::Added, false};
    ++observed.importCounter;
    if (model.wavelengths.count == 0 && observed.importCounter == 1) {
        adopt_radiation(model, header);
        adopt_stated_lines(workspace, header, messages);
        result.radiationAdopted = true;
    } else if (model.wavelengths.count > 0) {
        check_wavelength(model.wavelengths, header.meanLambda, messages);
    }
    ObservedSlot& slot = observed.slots[++observed.count];
    slot.lambda = header.meanLambda;
    slot.fileName = short_text(file_name_only(header.fileName), kSlotNameLength);
    slot.measured = header.measured;
    slot.scan = header.scanIndex;
    resample(points, header.meanLambda, model, slot);
    return result;
}

ImportResult range_diagramme(Workspace& workspace, Messages& messages)
{
    const RawScan& scan = workspace.rawScan;
    if (scan.measured)
        describe_scan_wavelengths(scan, *scan.measured);
    const ScanHeader header{scan.fileName, scan.firstAngle, scan.lastAngle, scan.meanLambda, scan.measured, 0};
    const ScanPoints points{scan.pointCount, [&](int i) { return double(scan.angle[i]); },
                            [&](int i) { return double(scan.intensity[i]); }};
    return add_observed_slot(workspace, messages, header, points);
}

void describe_scan_wavelengths(const RawScan& scan, MeasuredDiagram& diagram)
{
    MeasuredWavelengths& w = diagram.wavelengths;
    w.lambda1 = scan.lambda1 > 0 ? scan.lambda1 : scan.meanLambda;
    w.lambda2 = scan.lambda1 > 0 ? scan.lambda2 : 0;
    w.ratio = scan.lambda1 > 0 ? scan.ratio : 0;
    w.anode = scan.anode;
}

}  // namespace kalidos
