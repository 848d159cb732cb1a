// GSAS raw files (.gsa, .gss, .raw, .fxye, .xra, .cwn): a title line, optional comment lines, then
// per histogram a line `BANK ibank nchan nrec bintyp bcoef1 bcoef2 bcoef3 bcoef4 [type]` and its
// records. Constant-wavelength banks (CONST) give 2θ in centidegrees: STD and ESD records of ten
// 8-character fields on the grid bcoef1 + i·bcoef2, FXY/FXYE records of one point each. A bank
// of any other kind (time of flight) has no 2θ axis and the file is refused.
#include <cmath>
#include <string>
#include <vector>

#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/scan_reading.hpp"  // for split_lines, split_tokens, parse_number, trim_blanks

namespace kalidos {
namespace {

constexpr double kCentidegree = 0.01;
constexpr std::size_t kFieldWidth = 8;
constexpr std::size_t kFieldsPerRecord = 10;

struct Bank {
    std::string number;
    std::size_t points = 0;
    std::string binType, recordType;
    double start = 0, step = 0;  // centidegrees
};

bool read_bank_line(std::string_view line, Bank& bank, std::string& error)
{
    const auto words = split_tokens(line, " \t");
    const auto count = words.size() > 2 ? parse_number(words[2]) : std::nullopt;
    if (words.size() < 5 || !count || *count < 1 || *count != std::floor(*count)) {
        error = "the line \"" + std::string(trim_blanks(line)) + "\" is not a usable BANK line";
        return false;
    }
    bank.number = std::string(words[1]);
    bank.points = *count > static_cast<double>(kMaxMeasuredPoints) ? kMaxMeasuredPoints + 1
                                                                    : static_cast<std::size_t>(*count);
    bank.binType = std::string(words[4]);
    if (bank.binType != "CONST" && bank.binType != "CONS") {
        error = "bank " + bank.number + " is a " + bank.binType +
                " bank (time of flight or another axis than 2θ); only constant-wavelength 2θ banks are read";
        return false;
    }
    const auto start = words.size() > 5 ? parse_number(words[5]) : std::nullopt;
    const auto step = words.size() > 6 ? parse_number(words[6]) : std::nullopt;
    bank.recordType = words.size() > 9 ? std::string(words[9]) : "STD";
    if (!start || !step) {
        error = "bank " + bank.number + " states no start and step";
        return false;
    }
    bank.start = *start;
    bank.step = *step;
    return check_measured_count(bank.points, error);
}

// Field `k` of a fixed-format record; blank past the end of a short line.
std::string_view field(std::string_view line, std::size_t k)
{
    const std::size_t from = k * kFieldWidth;
    return from >= line.size() ? std::string_view() : line.substr(from, kFieldWidth);
}

// The counter count of an STD field: its first two characters, blank for one counter.
std::string_view counter_digits(std::string_view text)
{
    return trim_blanks(text.substr(0, std::min<std::size_t>(2, text.size())));
}

std::optional<double> counters_of(std::string_view text)
{
    const std::string_view digits = counter_digits(text);
    return digits.empty() ? std::optional<double>(1) : parse_number(digits);
}

// STD: a 2-character counter count and a 6-character intensity; σ² = I / counters.
// ESD: intensity and σ alternately.
bool read_fixed_record(std::string_view line, const Bank& bank, MeasuredScan& scan, bool& anyCounter)
{
    const bool esd = bank.recordType == "ESD";
    for (std::size_t k = 0; k < kFieldsPerRecord && scan.intensity.size() < bank.points; k += esd ? 2 : 1) {
        const std::string_view text = field(line, k);
        const std::string_view number = esd ? text : text.substr(std::min<std::size_t>(2, text.size()));
        const auto counters = esd ? std::optional<double>(1) : counters_of(text);
        const auto value = parse_number(trim_blanks(number));
        const auto sigma = esd ? parse_number(trim_blanks(field(line, k + 1))) : std::optional<double>(0);
        if (!counters || *counters <= 0 || !value || !sigma)
            return false;
        anyCounter = anyCounter || (!esd && !counter_digits(text).empty());
        scan.intensity.push_back(*value);
        scan.sigma.push_back(esd ? *sigma : (*value > 0 ? std::sqrt(*value / *counters) : NAN));
    }
    return true;
}

// FXY/FXYE: 2θ in centidegrees, intensity, σ (FXYE) per record.
bool read_free_record(std::string_view line, const Bank& bank, MeasuredScan& scan)
{
    const auto words = split_tokens(line, " \t");
    const std::size_t wanted = bank.recordType == "FXYE" ? 3 : 2;
    if (words.size() < wanted)
        return false;
    const auto x = parse_number(words[0]), y = parse_number(words[1]);
    const auto s = wanted == 3 ? parse_number(words[2]) : std::optional<double>(0);
    if (!x || !y || !s)
        return false;
    scan.twoTheta.push_back(*x * kCentidegree);
    scan.intensity.push_back(*y);
    if (wanted == 3)
        scan.sigma.push_back(*s);
    return true;
}

// The records of `bank` from line `next`; `next` moves past the last one used. Records after
// the bank's count of points (some writers repeat the last one) are left unread.
bool read_bank(const std::vector<std::string_view>& lines, std::size_t& next, const Bank& bank, MeasuredScan& scan,
               std::string& error)
{
    const bool fixed = bank.recordType == "STD" || bank.recordType == "ESD";
    if (!fixed && bank.recordType != "FXY" && bank.recordType != "FXYE") {
        error = "bank " + bank.number + " has records of type " + bank.recordType + ", which this reader does not know";
        return false;
    }
    bool anyCounter = false;
    for (; next < lines.size() && scan.intensity.size() < bank.points; ++next) {
        const std::string_view line = lines[next];
        if (line.starts_with('#'))
            continue;
        if (line.starts_with("BANK"))
            break;
        if (!(fixed ? read_fixed_record(line, bank, scan, anyCounter) : read_free_record(line, bank, scan))) {
            error = "line " + std::to_string(next + 1) + " is not a " + bank.recordType + " record of bank " + bank.number;
            return false;
        }
    }
    if (scan.intensity.size() < bank.points) {
        error = "bank " + bank.number + " ends after " + std::to_string(scan.intensity.size()) + " of its " +
                std::to_string(bank.points) + " points";
        return false;
    }
    if (!fixed)
        return check_monotonic(scan.twoTheta, error) &&
               store_listed_points(scan, std::move(scan.twoTheta), std::move(scan.intensity), std::move(scan.sigma), error);
    std::vector<double> sigma = bank.recordType == "ESD" || anyCounter ? std::move(scan.sigma) : std::vector<double>{};
    return store_grid_points(scan, bank.start * kCentidegree, bank.step * kCentidegree, std::move(scan.intensity),
                             std::move(sigma), error);
}

}  // namespace

bool read_gsas_raw(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    const std::vector<std::string_view> lines = split_lines(bytes);
    diagram = MeasuredDiagram{};
    diagram.format = "gsas";
    for (std::size_t next = 1; next < lines.size();) {
        if (!lines[next].starts_with("BANK")) {
            ++next;
            continue;
        }
        Bank bank;
        MeasuredScan scan;
        if (!read_bank_line(lines[next], bank, error))
            return false;
        scan.name = "BANK " + bank.number;
        scan.unit = "counts";
        if (!read_bank(lines, ++next, bank, scan, error))
            return false;
        diagram.scans.push_back(std::move(scan));
    }
    if (diagram.scans.empty()) {
        error = "the file holds no BANK line";
        return false;
    }
    return true;
}

}  // namespace kalidos
