#include "diagram_files/measured_points.hpp"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

#include "diagram_files/scan_reading.hpp"  // for parse_number

namespace kalidos {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

bool all_finite(const std::vector<double>& values)
{
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

bool usable_quantity(double value) { return std::isfinite(value) && value >= 0; }

// The per-scan half of check_measured_diagram; `label` names the scan in the message.
bool check_scan(const MeasuredScan& scan, const std::string& label, std::string& error)
{
    const std::size_t n = scan.twoTheta.size();
    if (n == 0)
        error = label + " has no points";
    else if (n > kMaxMeasuredPoints)
        error = label + " has " + std::to_string(n) + " points, more than the " +
                std::to_string(kMaxMeasuredPoints) + " a diagram may hold";
    else if (scan.intensity.size() != n)
        error = label + " has " + std::to_string(scan.intensity.size()) + " intensities for " +
                std::to_string(n) + " positions";
    else if (!scan.sigma.empty() && scan.sigma.size() != n)
        error = label + " has " + std::to_string(scan.sigma.size()) + " uncertainties for " +
                std::to_string(n) + " positions";
    else if (!all_finite(scan.twoTheta) || !all_finite(scan.intensity) || !all_finite(scan.sigma))
        error = label + " holds a value that is not a finite number";
    else if (!usable_quantity(scan.countingTime))
        error = label + " states an unusable counting time";
    else
        return true;
    return false;
}

}  // namespace

std::optional<double> finite_number(std::string_view text)
{
    const std::size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos)
        return std::nullopt;
    text = text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
    const std::optional<double> value = parse_number(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

bool parse_number_list(std::string_view text, std::string_view what, std::vector<double>& values,
                       std::string& error)
{
    values.clear();
    std::size_t pos = text.find_first_not_of(kBlanks);
    while (pos != std::string_view::npos) {
        const std::size_t end = std::min(text.find_first_of(kBlanks, pos), text.size());
        const std::string_view token = text.substr(pos, end - pos);
        const std::optional<double> value = parse_number(token);
        if (!value || !std::isfinite(*value)) {
            error = std::string(what) + ": value " + std::to_string(values.size() + 1) + " (\"" +
                    std::string(token.substr(0, 24)) + "\") is not a number";
            return false;
        }
        if (values.size() == kMaxMeasuredPoints) {
            error = std::string(what) + ": more than " + std::to_string(kMaxMeasuredPoints) + " values";
            return false;
        }
        values.push_back(*value);
        pos = text.find_first_not_of(kBlanks, end);
    }
    return true;
}

std::vector<double> grid_positions(double start, double step, std::size_t count)
{
    std::vector<double> positions(count);
    for (std::size_t i = 0; i < count; ++i)
        positions[i] = start + static_cast<double>(i) * step;
    return positions;
}

std::string number_text(double value)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(10);
    out << value;
    return out.str();
}

bool check_measured_diagram(const MeasuredDiagram& diagram, std::string& error)
{
    if (diagram.scans.empty()) {
        error = "the file holds no scan";
        return false;
    }
    const MeasuredWavelengths& w = diagram.wavelengths;
    if (!usable_quantity(w.lambda1) || !usable_quantity(w.lambda2) || !usable_quantity(w.ratio)) {
        error = "the file states an unusable wavelength or Kα2/Kα1 ratio";
        return false;
    }
    for (std::size_t k = 0; k < diagram.scans.size(); ++k) {
        const std::string label =
            diagram.scans.size() == 1 ? std::string("the scan") : "scan " + std::to_string(k + 1);
        if (!check_scan(diagram.scans[k], label, error))
            return false;
    }
    return true;
}

}  // namespace kalidos
