// PANalytical XRDML: XML whose root is xrdMeasurements, in any schema version. Schemas 1.x give
// <intensities> (attenuation already applied); schemas 2.x give raw <counts>, multiplied here by
// the beam attenuation factor of the same point. Every scan of every measurement is one scan here.
#include <cmath>
#include <string>
#include <vector>

#include "diagram_files/measured_numbers.hpp"
#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/xml_tree.hpp"

namespace kalidos {
namespace {

// What a scan needs from its measurement: which axis the measurement steps between scans (an
// area measurement's Omega, say), to name the scans by it.
struct MeasurementContext {
    std::string stepAxis;
    bool severalScans = false;
};

// Å from a wavelength element; unit "Angstrom" (every file seen) or "nm".
double wavelength_angstrom(pugi::xml_node node)
{
    const double value = number_in(node).value_or(0);
    return std::string_view(node.attribute("unit").value()) == "nm" ? 10 * value : value;
}

// Kα1, Kα2 and the ratio as stated. A stated ratio of 0 (X'Pert files with a Kα1 set-up) is kept:
// the instrument's own exports give the diagram with that ratio.
void read_wavelengths(pugi::xml_node measurement, MeasuredWavelengths& wavelengths)
{
    const pugi::xml_node used = child_named(measurement, "usedWavelength");
    wavelengths.lambda1 = wavelength_angstrom(child_named(used, "kAlpha1"));
    wavelengths.lambda2 = wavelength_angstrom(child_named(used, "kAlpha2"));
    wavelengths.ratio = number_in(child_named(used, "ratioKAlpha2KAlpha1")).value_or(0);
    if (wavelengths.lambda2 <= 0)
        wavelengths.ratio = 0;
    wavelengths.anode = path_named(measurement, "incidentBeamPath/xRayTube/anodeMaterial").child_value();
}

pugi::xml_node positions_of(pugi::xml_node dataPoints, std::string_view axis)
{
    pugi::xml_node found;
    for_each_named(dataPoints, "positions", [&](pugi::xml_node positions) {
        if (!found && axis == positions.attribute("axis").value())
            found = positions;
    });
    return found;
}

// Stores the intensities at their 2θ: a list of positions, or first and last point of an even grid.
bool store_points(pugi::xml_node dataPoints, std::vector<double> intensity, MeasuredScan& scan,
                  std::string& error)
{
    const pugi::xml_node positions = positions_of(dataPoints, "2Theta");
    if (!positions) {
        error = "no 2θ axis: the scan gives no 2Theta positions";
        return false;
    }
    const std::size_t count = intensity.size();
    if (const pugi::xml_node list = child_named(positions, "listPositions")) {
        std::vector<double> twoTheta;
        if (!parse_number_list(list.child_value(), "the 2θ positions", twoTheta, error))
            return false;
        if (twoTheta.size() != count) {
            error = "the scan has " + std::to_string(count) + " intensities for " +
                    std::to_string(twoTheta.size()) + " 2θ positions";
            return false;
        }
        return check_monotonic(twoTheta, error) &&
               store_listed_points(scan, std::move(twoTheta), std::move(intensity), {}, error);
    }
    const std::optional<double> start = number_in(child_named(positions, "startPosition"));
    const std::optional<double> end = number_in(child_named(positions, "endPosition"));
    if (!start || !end) {
        const std::optional<double> common = number_in(child_named(positions, "commonPosition"));
        error = common ? "no 2θ axis: 2θ stays at " + number_text(*common) +
                             "° during the scan (a rocking curve, not a 2θ diagram)"
                       : "the 2θ axis states neither a list nor a start and an end position";
        return false;
    }
    if (count == 1)
        return store_listed_points(scan, {*start}, std::move(intensity), {}, error);
    if (*start == *end) {
        error = "no 2θ axis: 2θ stays at " + number_text(*start) + "° during the scan";
        return false;
    }
    const double step = (*end - *start) / static_cast<double>(count - 1);
    return store_grid_points(scan, *start, step, std::move(intensity), {}, error);
}

// Raw counts times the beam attenuation factors: one per point, or one for the whole scan.
bool apply_attenuation(pugi::xml_node dataPoints, std::vector<double>& counts, std::string& error)
{
    if (const std::optional<double> common =
            number_in(child_named(dataPoints, "commonBeamAttenuationFactor"))) {
        for (double& c : counts)
            c *= *common;
        return true;
    }
    const pugi::xml_node list = child_named(dataPoints, "beamAttenuationFactors");
    if (!list)
        return true;
    std::vector<double> factors;
    if (!parse_number_list(list.child_value(), "the beam attenuation factors", factors, error))
        return false;
    if (factors.size() != counts.size()) {
        error = "the scan has " + std::to_string(factors.size()) + " beam attenuation factors for " +
                std::to_string(counts.size()) + " counts";
        return false;
    }
    for (std::size_t i = 0; i < counts.size(); ++i)
        counts[i] *= factors[i];
    return true;
}

// The intensities of schema 1.x as they stand, or the counts of schema 2.x after attenuation.
bool read_intensities(pugi::xml_node dataPoints, std::vector<double>& values, std::string& unit,
                      std::string& error)
{
    const pugi::xml_node intensities = child_named(dataPoints, "intensities");
    const pugi::xml_node counts = intensities ? intensities : child_named(dataPoints, "counts");
    if (!counts) {
        error = "the scan holds neither intensities nor counts";
        return false;
    }
    if (!parse_number_list(counts.child_value(), "the intensities", values, error))
        return false;
    if (values.empty()) {
        error = "the scan's list of intensities is empty";
        return false;
    }
    const std::string_view stated = counts.attribute("unit").value();
    unit = stated == "counts" || stated == "cps" ? std::string(stated) : std::string();
    return intensities || apply_attenuation(dataPoints, values, error);
}

// A scan's name: its number in the file and, in an area measurement, where the stepped axis stood.
std::string scan_name(pugi::xml_node scan, pugi::xml_node dataPoints, std::size_t number,
                      const MeasurementContext& context)
{
    std::string name = scan.attribute("scanAxis").value();
    if (!context.severalScans)
        return name;
    name = "Scan " + std::to_string(number) + (name.empty() ? "" : " (" + name + ")");
    const pugi::xml_node stepped = positions_of(dataPoints, context.stepAxis);
    const pugi::xml_node at = child_named(stepped, "commonPosition") ? child_named(stepped, "commonPosition")
                                                                     : child_named(stepped, "startPosition");
    if (const std::optional<double> value = number_in(at))
        name += ", " + context.stepAxis + " " + number_text(*value);
    return name;
}

bool read_scan(pugi::xml_node scanNode, std::size_t number, const MeasurementContext& context,
               MeasuredScan& scan, std::string& error)
{
    const pugi::xml_node dataPoints = child_named(scanNode, "dataPoints");
    if (!dataPoints) {
        error = "the scan has no data points";
        return false;
    }
    std::vector<double> intensity;
    if (!read_intensities(dataPoints, intensity, scan.unit, error) ||
        !store_points(dataPoints, std::move(intensity), scan, error))
        return false;
    scan.countingTime = number_in(child_named(dataPoints, "commonCountingTime")).value_or(0);
    scan.startTime = child_named(child_named(scanNode, "header"), "startTimeStamp").child_value();
    scan.name = scan_name(scanNode, dataPoints, number, context);
    return true;
}

std::size_t count_scans(pugi::xml_node root)
{
    std::size_t count = 0;
    for_each_named(root, "xrdMeasurement", [&](pugi::xml_node measurement) {
        for_each_named(measurement, "scan", [&](pugi::xml_node) { ++count; });
    });
    return count;
}

// Every scan of every measurement in file order; a refusal names the scan when there are several.
bool read_scans(pugi::xml_node root, MeasuredDiagram& diagram, std::string& error)
{
    const std::size_t total = count_scans(root);
    bool ok = true;
    for_each_named(root, "xrdMeasurement", [&](pugi::xml_node measurement) {
        const MeasurementContext context{measurement.attribute("measurementStepAxis").value(), total > 1};
        for_each_named(measurement, "scan", [&](pugi::xml_node scanNode) {
            if (!ok)
                return;
            MeasuredScan& scan = diagram.scans.emplace_back();
            ok = read_scan(scanNode, diagram.scans.size(), context, scan, error);
            if (!ok && total > 1)
                error = "scan " + std::to_string(diagram.scans.size()) + " of " + std::to_string(total) +
                        ": " + error;
        });
    });
    return ok;
}

}  // namespace

bool read_xrdml(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    pugi::xml_document document;
    if (!load_xml(bytes, "the XRDML file", document, error))
        return false;
    const pugi::xml_node root = document.document_element();
    if (local_name(root) != "xrdMeasurements") {
        error = "this is XML, but not an XRDML measurement (its root element is <" +
                std::string(root.name()) + ">)";
        return false;
    }
    diagram.format = "xrdml";
    diagram.scans.clear();
    diagram.wavelengths = {};
    read_wavelengths(child_named(root, "xrdMeasurement"), diagram.wavelengths);
    if (count_scans(root) == 0) {
        error = "the XRDML file holds no scan";
        return false;
    }
    return read_scans(root, diagram, error) && check_measured_diagram(diagram, error);
}

}  // namespace kalidos
