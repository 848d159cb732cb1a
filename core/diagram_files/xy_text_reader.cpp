// Plain column files (.xy, .xye, .csv, .txt): 2θ, intensity and an optional σ per row, after any
// number of header lines; HighScore CSV exports with their [Measurement conditions] block.
#include <optional>
#include <string>
#include <vector>

#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/measured_text.hpp"
#include "diagram_files/scan_reading.hpp"  // for split_lines, trim_blanks, parse_number

namespace kalidos {
namespace {

// A comma either separates columns ("10.5,1234") or marks decimals ("10,5 1234,5").
enum class Comma { Separates, Decimal };

constexpr int kMaxColumns = 3;

struct Row {
    double value[kMaxColumns] = {};
    int columns = 0;  // kMaxColumns + 1 when the row holds more numbers than understood
};

// The numbers of one row, or nothing when a token is not a number.
std::optional<Row> parse_row(std::string_view line, Comma comma)
{
    const std::string_view separators = comma == Comma::Separates ? std::string_view(" \t;,")
                                                                   : std::string_view(" \t;");
    Row row;
    std::size_t pos = 0;
    while (true) {
        const std::size_t start = line.find_first_not_of(separators, pos);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(separators, start), line.size());
        const std::string_view token = line.substr(start, end - start);
        const auto number = comma == Comma::Decimal ? parse_comma_number(token) : parse_number(token);
        if (!number)
            return std::nullopt;
        if (row.columns == kMaxColumns)
            return Row{{}, kMaxColumns + 1};
        row.value[row.columns++] = *number;
        pos = end;
    }
    return row;
}

bool is_comment(std::string_view line)
{
    return !line.empty() && (line[0] == '#' || line[0] == '\'' || line[0] == ';' || line[0] == '!');
}

bool is_data_row(std::string_view line, Comma comma)
{
    const auto row = parse_row(line, comma);
    return row && row->columns >= 2;
}

// How the commas of the data are meant, from the first data rows that hold one; false when both
// readings give rows of 2 or 3 different numbers.
bool choose_comma(const std::vector<std::string_view>& lines, std::size_t first, Comma& comma, std::string& error)
{
    constexpr std::size_t kRowsLooked = 200;
    comma = Comma::Separates;
    for (std::size_t i = first; i < lines.size() && i < first + kRowsLooked; ++i) {
        if (lines[i].find(',') == std::string_view::npos || is_comment(lines[i]))
            continue;
        const auto separated = parse_row(lines[i], Comma::Separates);
        const auto decimal = parse_row(lines[i], Comma::Decimal);
        const bool separatedFits = separated && separated->columns >= 2 && separated->columns <= kMaxColumns;
        const bool decimalFits = decimal && decimal->columns >= 2 && decimal->columns <= kMaxColumns;
        if (separatedFits && decimalFits && separated->columns != decimal->columns) {
            error = "line " + std::to_string(i + 1) +
                    ": the commas may separate columns or mark decimals; the file cannot be read either way for sure";
            return false;
        }
        comma = decimalFits && !separatedFits ? Comma::Decimal : Comma::Separates;
        return true;
    }
    return true;
}

// The first line of numbers: after blank lines, comment lines and header lines of words.
std::size_t first_data_line(const std::vector<std::string_view>& lines, std::size_t from)
{
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (!is_comment(lines[i]) && (is_data_row(lines[i], Comma::Separates) || is_data_row(lines[i], Comma::Decimal)))
            return i;
    }
    return lines.size();
}

struct Columns {
    std::vector<double> x, y, sigma;
};

bool read_rows(const std::vector<std::string_view>& lines, std::size_t first, Comma comma, Columns& columns,
               std::string& error)
{
    int width = 0;
    const std::size_t rows = std::min(lines.size() - first, kMaxMeasuredPoints);
    columns.x.reserve(rows);
    columns.y.reserve(rows);
    for (std::size_t i = first; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (is_comment(line) || trim_blanks(line).empty())
            continue;
        const auto row = parse_row(line, comma);
        if (!row || row->columns < 2 || (width != 0 && row->columns != width) || row->columns > kMaxColumns) {
            error = "line " + std::to_string(i + 1) + " is not a row of " +
                    (width == 3 ? "2θ, intensity and σ" : "2θ and intensity");
            if (row && row->columns > kMaxColumns && width == 0)
                error = "line " + std::to_string(i + 1) +
                        " holds more than three numbers; only 2θ, intensity and σ columns are understood";
            return false;
        }
        width = row->columns;
        if (columns.x.size() == kMaxMeasuredPoints)
            return check_measured_count(kMaxMeasuredPoints + 1, error);
        columns.x.push_back(row->value[0]);
        columns.y.push_back(row->value[1]);
        if (width == 3)
            columns.sigma.push_back(row->value[2]);
    }
    return check_measured_count(columns.x.size(), error);
}

// The value after `key` in an apostrophe header line of the form `Key: "value" Key: value`.
std::string header_field(std::string_view line, std::string_view key)
{
    const std::size_t at = line.find(key);
    if (at == std::string_view::npos)
        return {};
    std::string_view rest = trim_blanks(line.substr(at + key.size()));
    if (!rest.empty() && rest.front() == '"') {
        const std::size_t close = rest.find('"', 1);
        return std::string(rest.substr(1, close == std::string_view::npos ? rest.size() - 1 : close - 1));
    }
    return std::string(rest.substr(0, rest.find_first_of(" \t")));
}

// An export's first line `'Id: "…" Comment: "…" Anode: Cu … TimePerStep: "96"`: values in
// counts per second, the anode, the time per step. The line states no wavelength.
void read_apostrophe_header(std::string_view line, MeasuredDiagram& diagram, MeasuredScan& scan)
{
    if (line.find("Anode:") == std::string_view::npos && line.find("Scantype:") == std::string_view::npos)
        return;
    scan.unit = "cps";
    scan.name = header_field(line, "Id:");
    diagram.wavelengths.anode = header_field(line, "Anode:");
    if (const auto time = parse_number(header_field(line, "TimePerStep:")))
        scan.countingTime = *time;
}

// The `key,value` lines of a HighScore CSV export before its [Scan points] line.
void read_conditions(const std::vector<std::string_view>& lines, std::size_t end, MeasuredDiagram& diagram,
                     MeasuredScan& scan)
{
    for (std::size_t i = 0; i < end; ++i) {
        const std::size_t comma = lines[i].find(',');
        if (comma == std::string_view::npos)
            continue;
        const std::string_view key = trim_blanks(lines[i].substr(0, comma));
        const std::string_view value = unquoted(lines[i].substr(comma + 1));
        const double number = parse_number(value).value_or(0);
        if (key == "Anode material")
            diagram.wavelengths.anode = std::string(value);
        else if (key == "K-Alpha1 wavelength")
            diagram.wavelengths.lambda1 = number;
        else if (key == "K-Alpha2 wavelength")
            diagram.wavelengths.lambda2 = number;
        else if (key == "Ratio K-Alpha2/K-Alpha1")
            diagram.wavelengths.ratio = number;
        else if (key == "Time per step")
            scan.countingTime = number;
        else if (key == "Sample identification")
            scan.name = std::string(value);
    }
    scan.unit = "counts";
}

std::size_t scan_points_line(const std::vector<std::string_view>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (trim_blanks(lines[i]) == "[Scan points]")
            return i;
    }
    return lines.size();
}

}  // namespace

bool read_xy_text(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    const std::vector<std::string_view> lines = split_lines(without_bom(bytes));
    MeasuredScan scan;
    diagram = MeasuredDiagram{};
    diagram.format = "xy";
    std::size_t from = scan_points_line(lines);
    if (from < lines.size()) {
        read_conditions(lines, from, diagram, scan);
        ++from;
    } else {
        from = 0;
        if (!lines.empty() && lines[0].starts_with('\''))
            read_apostrophe_header(lines[0], diagram, scan);
    }
    const std::size_t first = first_data_line(lines, from);
    if (first == lines.size()) {
        error = "no rows of 2θ and intensity were found";
        return false;
    }
    Comma comma = Comma::Separates;
    Columns columns;
    if (!choose_comma(lines, first, comma, error) || !read_rows(lines, first, comma, columns, error) ||
        !check_monotonic(columns.x, error) ||
        !store_listed_points(scan, std::move(columns.x), std::move(columns.y), std::move(columns.sigma), error))
        return false;
    diagram.scans.push_back(std::move(scan));
    return true;
}

}  // namespace kalidos
