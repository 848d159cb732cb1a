// Bruker BRML: a zip archive of XML. Experiment0/DataContainer.xml lists the raw-data members; each
// RawData<k>.xml holds a scan as comma-separated Datum rows whose columns its DataViews map. The
// counts column already includes the absorber's factor, so it is taken as it stands.
#include <cmath>
#include <string>
#include <vector>

#include "diagram_files/measured_numbers.hpp"
#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/xml_tree.hpp"
#include "diagram_files/zip_archive.hpp"

namespace kalidos {
namespace {

const std::string kDataContainer = "Experiment0/DataContainer.xml";

// Where a row's 2θ and counts stand, and how many values each row has.
struct ColumnMap {
    long twoTheta = -1, counts = -1;
    std::size_t width = 0;
};

// The DataViews: fixed views (time, absorption factor), varying views whose fields are the axes
// in order, and the recorded view of the first counter.
ColumnMap map_columns(pugi::xml_node route)
{
    ColumnMap map;
    for_each_named(child_named(route, "DataViews"), "RawDataView", [&](pugi::xml_node view) {
        const long start = static_cast<long>(number_in(view, "Start").value_or(-1));
        const long length = static_cast<long>(number_in(view, "Length").value_or(0));
        if (start < 0 || length < 1)
            return;
        map.width = std::max(map.width, static_cast<std::size_t>(start + length));
        long field = start;
        for_each_named(child_named(view, "Varying"), "FieldDefinitions", [&](pugi::xml_node definition) {
            if (std::string_view(definition.attribute("FieldName").value()) == "TwoTheta")
                map.twoTheta = field;
            ++field;
        });
        if (map.counts < 0 && child_named(view, "Recording"))
            map.counts = start;
    });
    return map;
}

// Start and increment of the 2θ axis of the scan; false with the reason when it has none.
bool two_theta_axis(pugi::xml_node information, double& start, double& increment, std::string& error)
{
    std::string axes;
    pugi::xml_node found;
    for_each_named(child_named(information, "ScanAxes"), "ScanAxisInfo", [&](pugi::xml_node axis) {
        const std::string id = axis.attribute("AxisId").value();
        axes += (axes.empty() ? "" : ", ") + id;
        if (id == "TwoTheta" && !found)
            found = axis;
    });
    const std::optional<double> first = number_in(child_named(found, "Start"));
    const std::optional<double> step = number_in(child_named(found, "Increment"));
    if (!found || !first || !step || *step == 0) {
        error = found ? "no 2θ axis: 2θ does not move during the scan"
                      : "no 2θ axis: the scan moves " + (axes.empty() ? std::string("no axis") : axes) + " only";
        return false;
    }
    start = *first;
    increment = *step;
    return true;
}

// One Datum row: its 2θ (checked against the grid, which holds the digits the row rounds) and counts.
bool read_row(std::string_view row, std::size_t index, const ColumnMap& map, double expected,
              double increment, std::vector<double>& counts, std::string& error)
{
    std::vector<std::string_view> values;
    for (std::size_t pos = 0; pos <= row.size();) {
        const std::size_t comma = std::min(row.find(',', pos), row.size());
        values.push_back(row.substr(pos, comma - pos));
        pos = comma + 1;
    }
    const std::string label = "data row " + std::to_string(index + 1);
    if (values.size() != map.width) {
        error = label + " has " + std::to_string(values.size()) + " values where the data views give " +
                std::to_string(map.width);
        return false;
    }
    const std::optional<double> twoTheta = finite_number(values[static_cast<std::size_t>(map.twoTheta)]);
    const std::optional<double> count = finite_number(values[static_cast<std::size_t>(map.counts)]);
    if (!twoTheta || !count) {
        error = label + " holds a value that is not a number";
        return false;
    }
    if (std::fabs(*twoTheta - expected) > std::fabs(increment) / 2) {
        error = label + " gives 2θ = " + number_text(*twoTheta) + "° where the scan's start and increment give " +
                number_text(expected) + "°";
        return false;
    }
    counts.push_back(*count);
    return true;
}

bool read_rows(pugi::xml_node route, const ColumnMap& map, double start, double increment,
               std::vector<double>& counts, std::string& error)
{
    bool ok = true;
    for_each_named(route, "Datum", [&](pugi::xml_node datum) {
        if (!ok)
            return;
        if (counts.size() == kMaxMeasuredPoints) {
            ok = check_measured_count(kMaxMeasuredPoints + 1, error);
            return;
        }
        const double expected = start + static_cast<double>(counts.size()) * increment;
        ok = read_row(datum.child_value(), counts.size(), map, expected, increment, counts, error);
    });
    return ok;
}

// The route of the measured data (others hold processed copies); the first one when none says so.
pugi::xml_node measured_route(pugi::xml_node rawData)
{
    const pugi::xml_node routes = child_named(rawData, "DataRoutes");
    pugi::xml_node found;
    for_each_named(routes, "DataRoute", [&](pugi::xml_node route) {
        if (!found && std::string_view(route.attribute("RouteFlag").value()).find("Measured") != std::string_view::npos)
            found = route;
    });
    return found ? found : child_named(routes, "DataRoute");
}

bool read_scan(pugi::xml_node rawData, MeasuredScan& scan, std::string& error)
{
    const pugi::xml_node route = measured_route(rawData);
    const pugi::xml_node information = child_named(route, "ScanInformation");
    if (!route) {
        error = "the raw data hold no scan";
        return false;
    }
    double start = 0, increment = 0;
    if (!two_theta_axis(information, start, increment, error))
        return false;
    const ColumnMap map = map_columns(route);
    if (map.twoTheta < 0 || map.counts < 0) {
        error = "the data views name no 2θ column or no counts column";
        return false;
    }
    std::vector<double> counts;
    if (!read_rows(route, map, start, increment, counts, error))
        return false;
    const std::optional<double> planned = number_in(child_named(information, "MeasurementPoints"));
    if (planned && static_cast<double>(counts.size()) > *planned) {
        error = "the scan has " + std::to_string(counts.size()) + " data rows for " + number_text(*planned) +
                " measurement points";
        return false;
    }
    scan.name = information.attribute("ScanName").value();
    scan.unit = "counts";
    // The effective time (all strips of a position-sensitive detector) is what the counts were counted in.
    const pugi::xml_node effective = child_named(information, "TimePerStepEffective");
    scan.countingTime = number_in(effective ? effective : child_named(information, "TimePerStep")).value_or(0);
    return store_grid_points(scan, start, increment, std::move(counts), {}, error);
}

// The tube's lines, stated as Value attributes somewhere below FixedInformation.
void read_wavelengths(pugi::xml_node rawData, MeasuredWavelengths& wavelengths)
{
    const pugi::xml_node tube = child_named(rawData, "FixedInformation").find_node([](pugi::xml_node node) {
        return local_name(node) == "Tube" && child_named(node, "WaveLengthAlpha1");
    });
    wavelengths.lambda1 = number_in(child_named(tube, "WaveLengthAlpha1"), "Value").value_or(0);
    wavelengths.lambda2 = number_in(child_named(tube, "WaveLengthAlpha2"), "Value").value_or(0);
    wavelengths.ratio = wavelengths.lambda2 > 0
                            ? number_in(child_named(tube, "WaveLengthRatio"), "Value").value_or(0)
                            : 0;
    wavelengths.anode = child_named(tube, "TubeMaterial").child_value();
}

// The members DataContainer.xml lists, in order.
bool raw_data_members(const ZipArchive& archive, std::vector<std::string>& members, std::string& error)
{
    std::string text;
    pugi::xml_document container;
    if (!archive.read(kDataContainer, text, error) || !load_xml(text, kDataContainer, container, error))
        return false;
    for_each_named(path_named(container, "DataContainer/RawDataReferenceList"), "string",
                   [&](pugi::xml_node member) { members.emplace_back(member.child_value()); });
    if (members.empty())
        error = kDataContainer + " lists no raw data";
    return !members.empty();
}

bool read_member(const ZipArchive& archive, const std::string& member, MeasuredDiagram& diagram,
                 std::string& error)
{
    std::string text;
    pugi::xml_document document;
    if (!archive.read(member, text, error) || !load_xml(text, member, document, error))
        return false;
    const pugi::xml_node rawData = document.document_element();
    if (local_name(rawData) != "RawData") {
        error = member + " holds no raw data";
        return false;
    }
    if (diagram.scans.empty())
        read_wavelengths(rawData, diagram.wavelengths);
    if (read_scan(rawData, diagram.scans.emplace_back(), error))
        return true;
    error = member + ": " + error;
    return false;
}

}  // namespace

bool read_brml(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    ZipArchive archive;
    std::vector<std::string> members;
    if (!archive.open(bytes, error)) {
        error = "a BRML file is a zip archive, and this one is " + error;
        return false;
    }
    if (!raw_data_members(archive, members, error))
        return false;
    diagram.format = "brml";
    diagram.scans.clear();
    diagram.wavelengths = {};
    for (const std::string& member : members)
        if (!read_member(archive, member, diagram, error))
            return false;
    return check_measured_diagram(diagram, error);
}

}  // namespace kalidos
