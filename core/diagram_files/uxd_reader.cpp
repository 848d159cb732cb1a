// Bruker/Siemens UXD text files: `_KEY=value` lines, `;` comments, a range opened by each
// `_DRIVE` and its points after a data marker (`_2THETACOUNTS`, `_2THETACPS`: 2θ and intensity
// per line; `_COUNTS`, `_CPS`: intensities only, 2θ from `_START` and `_STEPSIZE`).
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/measured_text.hpp"
#include "diagram_files/scan_reading.hpp"  // for split_lines, split_tokens, parse_number

namespace kalidos {
namespace {

using UxdKeys = HeaderKeys;

double key_number(const UxdKeys& keys, std::string_view key) { return header_number(keys, key); }

std::string key_text(const UxdKeys& keys, std::string_view key)
{
    return latin1_to_utf8(unquoted(header_value(keys, key)));
}

// The printed 2θ has five significant characters ("3.016", "39.97"): half a unit of its last
// digit off the grid, plus what the 6 decimals of _STEPSIZE lose over i steps.
double printed_tolerance(int decimals, std::size_t i)
{
    return 0.5 * std::pow(10.0, -decimals) + 5e-7 * static_cast<double>(i) + 1e-9;
}

int decimals_of(std::string_view token)
{
    const std::size_t point = token.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(token.size() - point - 1);
}

struct UxdRange {
    UxdKeys keys;
    bool pairs = false;  // the data lines hold 2θ and intensity
    std::string unit;
    std::vector<double> x, y;
    std::vector<int> decimals;  // of each printed 2θ
};

// 2θ from `_START` + i·`_STEPSIZE` when the range states both and its printed 2θ agree with
// them; else the printed values.
bool store_range(UxdRange& range, const std::string& sample, MeasuredScan& scan, std::string& error)
{
    scan.name = sample;
    scan.unit = range.unit;
    scan.countingTime = key_number(range.keys, "STEPTIME");
    const bool gridStated = range.keys.contains("START") && key_number(range.keys, "STEPSIZE") != 0;
    const double start = key_number(range.keys, "START"), step = key_number(range.keys, "STEPSIZE");
    bool onGrid = gridStated;
    for (std::size_t i = 0; onGrid && i < range.x.size(); ++i)
        onGrid = std::fabs(range.x[i] - (start + static_cast<double>(i) * step)) <= printed_tolerance(range.decimals[i], i);
    if (onGrid)
        return store_grid_points(scan, start, step, std::move(range.y), {}, error);
    if (!range.pairs) {
        error = "a range of intensities only does not state _START and _STEPSIZE";
        return false;
    }
    return check_monotonic(range.x, error) && store_listed_points(scan, std::move(range.x), std::move(range.y), {}, error);
}

class UxdParser {
public:
    explicit UxdParser(MeasuredDiagram& diagram) : diagram_(diagram) {}

    bool read(const std::vector<std::string_view>& lines, std::string& error)
    {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string_view line = trim_blanks(lines[i]);
            if (line.empty() || line.starts_with(';'))
                continue;
            if (!(line.starts_with('_') ? take_key(line, error) : take_data(line, i + 1, error)))
                return false;
        }
        if (!close_range(error))
            return false;
        if (diagram_.scans.empty()) {
            error = "the file holds no range of points";
            return false;
        }
        read_radiation();
        return true;
    }

private:
    bool take_key(std::string_view line, std::string& error)
    {
        const std::size_t equals = line.find('=');
        const std::string key(trim_blanks(line.substr(1, equals == std::string_view::npos ? line.npos : equals - 1)));
        if (equals == std::string_view::npos)
            return take_marker(key, error);
        const std::string value(trim_blanks(line.substr(equals + 1)));
        if (key == "DRIVE") {
            if (!close_range(error))
                return false;
            range_.emplace();
        }
        (range_ ? range_->keys : fileKeys_)[key] = value;
        return true;
    }

    bool take_marker(const std::string& marker, std::string& error)
    {
        const bool pairs = marker == "2THETACOUNTS" || marker == "2THETACPS";
        if (!pairs && marker != "COUNTS" && marker != "CPS")
            return true;  // a key without a value
        if (!range_) {
            error = "points come before any _DRIVE line opens a range";
            return false;
        }
        range_->pairs = pairs;
        range_->unit = marker.ends_with("CPS") ? "cps" : "counts";
        inData_ = true;
        return check_drive(error);
    }

    bool check_drive(std::string& error) const
    {
        const std::string drive = key_text(range_->keys, "DRIVE");
        if (drive.find("COUPLED") != std::string::npos || drive.find("2THETA") != std::string::npos ||
            drive.find("TWOTHETA") != std::string::npos || drive.empty())
            return true;
        error = "range " + std::to_string(diagram_.scans.size() + 1) + " drives " + drive + ", not 2θ";
        return false;
    }

    bool take_data(std::string_view line, std::size_t number, std::string& error)
    {
        const auto tokens = split_tokens(line, " \t,");
        const std::size_t wanted = range_ && range_->pairs ? 2 : tokens.size();
        bool ok = inData_ && !tokens.empty() && tokens.size() == wanted;
        std::vector<double> values;
        for (std::size_t i = 0; ok && i < tokens.size(); ++i) {
            const auto value = parse_number(tokens[i]);
            ok = value.has_value();
            values.push_back(value.value_or(0));
        }
        if (!ok || range_->y.size() + values.size() > kMaxMeasuredPoints + 1) {
            error = "line " + std::to_string(number) + (inData_ ? " is not a row of numbers" : " holds points outside a range");
            return false;
        }
        if (range_->pairs) {
            range_->x.push_back(values[0]);
            range_->decimals.push_back(decimals_of(tokens[0]));
            range_->y.push_back(values[1]);
        } else {
            range_->y.insert(range_->y.end(), values.begin(), values.end());
        }
        return true;
    }

    bool close_range(std::string& error)
    {
        inData_ = false;
        if (!range_)
            return true;
        MeasuredScan scan;
        if (range_->y.empty()) {
            error = "range " + std::to_string(diagram_.scans.size() + 1) + " holds no points";
            return false;
        }
        if (!store_range(*range_, key_text(fileKeys_, "SAMPLE"), scan, error))
            return false;
        diagram_.scans.push_back(std::move(scan));
        firstRangeWavelength_ = diagram_.scans.size() == 1 ? key_number(range_->keys, "RANGE_WL") : firstRangeWavelength_;
        range_.reset();
        return true;
    }

    void read_radiation()
    {
        MeasuredWavelengths& waves = diagram_.wavelengths;
        waves.lambda1 = key_number(fileKeys_, "WL1");
        waves.lambda2 = key_number(fileKeys_, "WL2");
        waves.ratio = key_number(fileKeys_, "WLRATIO");
        waves.anode = key_text(fileKeys_, "ANODE");
        if (!waves.stated())
            waves.lambda1 = firstRangeWavelength_;
    }

    MeasuredDiagram& diagram_;
    UxdKeys fileKeys_;
    std::optional<UxdRange> range_;
    bool inData_ = false;
    double firstRangeWavelength_ = 0;
};

}  // namespace

bool read_uxd(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    diagram = MeasuredDiagram{};
    diagram.format = "uxd";
    UxdParser parser(diagram);
    return parser.read(split_lines(bytes), error);
}

}  // namespace kalidos
