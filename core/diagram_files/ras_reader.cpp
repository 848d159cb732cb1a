// Rigaku RAS text files: a *RAS_DATA_START block holding, per scan, a header of `*KEY "value"`
// lines (Shift-JIS text) and rows `2θ intensity attenuator` between *RAS_INT_START and *RAS_INT_END.
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/measured_text.hpp"
#include "diagram_files/ras_rows.hpp"
#include "diagram_files/scan_reading.hpp"  // for split_lines, split_tokens, parse_number
#include "diagram_files/shift_jis.hpp"

namespace kalidos {
namespace {

using RasHeader = HeaderKeys;

// The scan axis must be 2θ ("TwoTheta", "TwoThetaTheta", "TwoThetaOmega", "2-Theta"); a file
// without the key is taken as one.
bool check_axis(const RasHeader& header, std::string& error)
{
    const std::string internal = header_value(header, "MEAS_SCAN_AXIS_X_INTERNAL");
    const std::string shown = header_value(header, "MEAS_SCAN_AXIS_X");
    if (internal.empty() ? (shown.empty() || shown.starts_with("2-Theta") || shown.starts_with("2Theta"))
                         : internal.starts_with("TwoTheta"))
        return true;
    error = "the scan axis is " + (internal.empty() ? shown : internal) + ", not 2θ";
    return false;
}

// Seconds per step: a continuous scan states its speed in degrees per minute, a step scan
// its time per step.
double counting_time(const RasHeader& header)
{
    const double speed = header_number(header, "MEAS_SCAN_SPEED");
    const double step = std::fabs(header_number(header, "MEAS_SCAN_STEP"));
    const std::string unit = header_value(header, "MEAS_SCAN_SPEED_UNIT");
    if (unit == "deg/min" && speed > 0)
        return 60 * step / speed;
    if (unit == "sec" || unit == "s")
        return speed;
    return 0;
}

void read_radiation(const RasHeader& header, MeasuredWavelengths& waves)
{
    const std::string type = header_value(header, "MEAS_COND_XG_WAVE_TYPE");
    waves.anode = header_value(header, "HW_XG_TARGET_NAME");
    waves.lambda1 = header_number(header, type == "Kb" ? "HW_XG_WAVE_LENGTH_BETA" : "HW_XG_WAVE_LENGTH_ALPHA1");
    // "Ka" is the doublet; the file never states the Kα2/Kα1 ratio, so it stays 0 (not stated).
    waves.lambda2 = type == "Ka" ? header_number(header, "HW_XG_WAVE_LENGTH_ALPHA2") : 0;
}

// One header line `*KEY "value"` into `header`.
void read_header_line(std::string_view line, RasHeader& header)
{
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos)
        return;
    header[std::string(line.substr(1, blank - 1))] = std::string(unquoted(line.substr(blank + 1)));
}

class RasParser {
public:
    explicit RasParser(MeasuredDiagram& diagram) : diagram_(diagram) {}

    bool read(const std::vector<std::string_view>& lines, std::string& error)
    {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!take(trim_blanks(lines[i]), i + 1, error))
                return false;
            if (state_ == State::Done)
                return true;
        }
        error = "the file ends before *RAS_DATA_END: it was cut short";
        return false;
    }

private:
    enum class State { Start, Between, Header, Rows, Done };

    bool take(std::string_view line, std::size_t number, std::string& error)
    {
        switch (state_) {
        case State::Start:
            if (line == "*RAS_DATA_START")
                state_ = State::Between;
            return true;
        case State::Between:
            return between(line, error);
        case State::Header:
            if (line == "*RAS_HEADER_END")
                state_ = State::Between;
            else if (line.starts_with('*'))
                read_header_line(line, header_);
            return true;
        case State::Rows:
            if (line == "*RAS_INT_END")
                return finish_scan(error);
            return line.empty() || read_ras_row(line, number, rows_, error);
        case State::Done:
            return true;
        }
        return true;
    }

    bool between(std::string_view line, std::string& error)
    {
        if (line == "*RAS_HEADER_START") {
            header_.clear();
            state_ = State::Header;
        } else if (line == "*RAS_INT_START") {
            rows_ = RasRows{};
            state_ = State::Rows;
            return check_axis(header_, error);
        } else if (line == "*RAS_DATA_END") {
            state_ = State::Done;
            if (diagram_.scans.empty()) {
                error = "the file holds no *RAS_INT_START block of points";
                return false;
            }
        }
        return true;
    }

    bool finish_scan(std::string& error)
    {
        const double stated = header_number(header_, "MEAS_DATA_COUNT");
        if (stated > 0 && std::lround(stated) != static_cast<long>(rows_.x.size())) {
            error = "the scan has " + std::to_string(rows_.x.size()) + " rows where its header announces " +
                    std::to_string(std::lround(stated));
            return false;
        }
        MeasuredScan scan;
        scan.name = shift_jis_to_utf8(header_value(header_, "FILE_SAMPLE"));
        const std::string unit = header_value(header_, "MEAS_SCAN_UNIT_Y");
        scan.unit = unit == "counts" || unit == "cps" ? unit : std::string();
        scan.countingTime = counting_time(header_);
        if (!check_monotonic(rows_.x, error) ||
            !store_listed_points(scan, std::move(rows_.x), std::move(rows_.y), {}, error))
            return false;
        if (diagram_.scans.empty())
            read_radiation(header_, diagram_.wavelengths);
        diagram_.scans.push_back(std::move(scan));
        state_ = State::Between;
        return true;
    }

    MeasuredDiagram& diagram_;
    State state_ = State::Start;
    RasHeader header_;
    RasRows rows_;
};

}  // namespace

bool read_ras(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    diagram = MeasuredDiagram{};
    diagram.format = "ras";
    RasParser parser(diagram);
    return parser.read(split_lines(without_bom(bytes)), error);
}

}  // namespace kalidos
