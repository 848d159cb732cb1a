// Rigaku RASX: a zip archive with, per scan, Data<k>/Profile<m>.txt (rows of 2θ, intensity and
// attenuator factor, tab-separated, UTF-8 with a byte order mark) and Data<k>/MesurementConditions<m>.xml
// (so spelled by the writer) giving the axis, the grid, the speed and the X-ray tube.
#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "diagram_files/measured_numbers.hpp"
#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/measured_text.hpp"  // for without_bom
#include "diagram_files/ras_rows.hpp"
#include "diagram_files/scan_reading.hpp"   // for split_lines, trim_blanks
#include "diagram_files/xml_tree.hpp"
#include "diagram_files/zip_archive.hpp"

namespace kalidos {
namespace {

// One scan's members: the profile and the conditions beside it.
struct ScanMembers {
    long folder = 0, number = 0;
    std::string profile, conditions;
};

// Every Data<k>/Profile<m>.txt of the archive, in the order of k and m.
std::vector<ScanMembers> scan_members(const ZipArchive& archive)
{
    static const std::regex profile(R"(Data(\d{1,6})/Profile(\d{1,6})\.txt)");
    std::vector<ScanMembers> scans;
    for (const std::string& name : archive.names()) {
        std::smatch match;
        if (!std::regex_match(name, match, profile))
            continue;
        const std::string folder = "Data" + match[1].str() + "/";
        const std::string conditions = folder + "MesurementConditions" + match[2].str() + ".xml";
        const std::string corrected = folder + "MeasurementConditions" + match[2].str() + ".xml";
        scans.push_back({std::stol(match[1]), std::stol(match[2]), name,
                         archive.contains(conditions) || !archive.contains(corrected) ? conditions : corrected});
    }
    std::sort(scans.begin(), scans.end(), [](const ScanMembers& a, const ScanMembers& b) {
        return std::pair(a.folder, a.number) < std::pair(b.folder, b.number);
    });
    return scans;
}

// The profile's rows (a byte order mark first, blank lines allowed).
bool read_profile(std::string_view text, RasRows& rows, std::string& error)
{
    const std::vector<std::string_view> lines = split_lines(without_bom(text));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = trim_blanks(lines[i]);
        if (!line.empty() && !read_ras_row(line, i + 1, rows, error))
            return false;
    }
    return true;
}

// Seconds per step: a continuous scan states its speed in degrees per minute, a step scan its time.
double counting_time(pugi::xml_node information, double step)
{
    const double speed = number_in(child_named(information, "Speed")).value_or(0);
    const std::string_view unit = child_named(information, "SpeedUnit").child_value();
    if (unit == "deg/min" && speed > 0)
        return 60 * std::fabs(step) / speed;
    return unit == "sec" || unit == "s" ? speed : 0;
}

// "Ka" is the doublet, whose Kα2/Kα1 ratio the file never states (left at 0, not stated);
// "Ka1" a monochromatic Kα1, "Kb" the Kβ line.
void read_radiation(pugi::xml_node conditions, MeasuredWavelengths& wavelengths)
{
    const pugi::xml_node tube = path_named(conditions, "HWConfigurations/XrayGenerator");
    const std::string_view type = child_named(tube, "WaveType").child_value();
    wavelengths.anode = child_named(tube, "TargetName").child_value();
    wavelengths.lambda1 = number_in(child_named(tube, type == "Kb" ? "WavelengthKbeta" : "WavelengthKalpha1")).value_or(0);
    wavelengths.lambda2 = type == "Ka" ? number_in(child_named(tube, "WavelengthKalpha2")).value_or(0) : 0;
}

// The rows on the grid the conditions state: as many as announced, each 2θ within half a step of
// start + i·step (an unequally spaced scan keeps its listed 2θ, which must run one way).
bool store_rows(pugi::xml_node information, RasRows rows, MeasuredScan& scan, std::string& error)
{
    const std::optional<double> stated = number_in(child_named(information, "DataCount"));
    if (stated && *stated != static_cast<double>(rows.x.size())) {
        error = "the profile has " + std::to_string(rows.x.size()) + " rows where the conditions announce " +
                number_text(*stated);
        return false;
    }
    if (std::string_view(child_named(information, "UnequalySpaced").child_value()) == "true")
        return check_monotonic(rows.x, error) &&
               store_listed_points(scan, std::move(rows.x), std::move(rows.y), {}, error);
    const std::optional<double> start = number_in(child_named(information, "Start"));
    const std::optional<double> step = number_in(child_named(information, "Step"));
    if (!start || !step || *step == 0) {
        error = "the conditions state no usable start and step of the scan";
        return false;
    }
    for (std::size_t i = 0; i < rows.x.size(); ++i) {
        const double expected = *start + static_cast<double>(i) * *step;
        if (std::fabs(rows.x[i] - expected) > std::fabs(*step) / 2) {
            error = "row " + std::to_string(i + 1) + " gives 2θ = " + number_text(rows.x[i]) +
                    "° where the scan's start and step give " + number_text(expected) + "°";
            return false;
        }
    }
    return store_grid_points(scan, *start, *step, std::move(rows.y), {}, error);
}

bool read_scan(const ZipArchive& archive, const ScanMembers& members, MeasuredDiagram& diagram,
               std::string& error)
{
    std::string text, profile;
    pugi::xml_document document;
    if (!archive.read(members.conditions, text, error) || !load_xml(text, members.conditions, document, error) ||
        !archive.read(members.profile, profile, error))
        return false;
    const pugi::xml_node conditions = document.document_element();
    const pugi::xml_node information = child_named(conditions, "ScanInformation");
    const std::string axis = child_named(information, "AxisName").child_value();
    if (!axis.starts_with("TwoTheta")) {
        error = "no 2θ axis: the scan axis is " + (axis.empty() ? std::string("not stated") : axis);
        return false;
    }
    RasRows rows;
    MeasuredScan& scan = diagram.scans.emplace_back();
    if (!read_profile(profile, rows, error) || !store_rows(information, std::move(rows), scan, error))
        return false;
    scan.name = path_named(conditions, "GeneralInformation/SampleName").child_value();
    const std::string unit = child_named(information, "IntensityUnit").child_value();
    scan.unit = unit == "counts" || unit == "cps" ? unit : std::string();
    scan.countingTime = counting_time(information, number_in(child_named(information, "Step")).value_or(0));
    scan.startTime = child_named(information, "StartTime").child_value();
    if (diagram.scans.size() == 1)
        read_radiation(conditions, diagram.wavelengths);
    return true;
}

}  // namespace

bool read_rasx(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    ZipArchive archive;
    if (!archive.open(bytes, error)) {
        error = "a RASX file is a zip archive, and this one is " + error;
        return false;
    }
    const std::vector<ScanMembers> scans = scan_members(archive);
    if (scans.empty()) {
        error = "the archive holds no Data0/Profile0.txt";
        return false;
    }
    diagram.format = "rasx";
    diagram.scans.clear();
    diagram.wavelengths = {};
    for (const ScanMembers& members : scans) {
        if (!read_scan(archive, members, diagram, error)) {
            if (scans.size() > 1)
                error = members.profile + ": " + error;
            return false;
        }
    }
    return check_measured_diagram(diagram, error);
}

}  // namespace kalidos
