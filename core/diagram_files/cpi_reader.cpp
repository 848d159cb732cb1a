// CPI and CPD text files: ten header lines, then one intensity per number to the end of the file.
#include <string>
#include <vector>

#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/scan_reading.hpp"

namespace kalidos {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::size_t kHeaderLines = 10;

// The first number of a header line. Some programs write the wavelength with a decimal comma
// ("1,5406"); a single comma in a number without a point is taken as the decimal point.
std::optional<double> first_number(std::string_view line)
{
    const auto tokens = split_tokens(line, kBlanks);
    if (tokens.empty())
        return std::nullopt;
    std::string token(tokens[0]);
    const std::size_t comma = token.find(',');
    if (comma != std::string::npos && token.find('.') == std::string::npos &&
        token.find(',', comma + 1) == std::string::npos)
        token[comma] = '.';
    return parse_number(token);
}

bool header_number(const std::vector<std::string_view>& lines, std::size_t line, RawScan& scan,
                   Messages& messages, double& value)
{
    const auto number = first_number(lines[line - 1]);
    if (!number) {
        refuse_file(messages, scan.fileName, "line " + std::to_string(line) + " is not a number");
        return false;
    }
    value = *number;
    return true;
}

bool read_counts(const std::vector<std::string_view>& lines, RawScan& scan, Messages& messages,
                 std::vector<double>& values)
{
    for (std::size_t l = kHeaderLines; l < lines.size(); ++l) {
        for (const std::string_view token : split_tokens(lines[l], kBlanks)) {
            const auto value = parse_number(token);
            if (!value) {
                refuse_file(messages, scan.fileName,
                            "line " + std::to_string(l + 1) + ": \"" + std::string(token.substr(0, 20)) +
                                "\" is not a number");
                return false;
            }
            if (values.size() == static_cast<std::size_t>(kRawScanCapacity))
                return check_point_count(kRawScanCapacity + 1LL, scan.fileName, messages);
            values.push_back(*value);
        }
    }
    return check_point_count(static_cast<long long>(values.size()), scan.fileName, messages);
}

bool read_cpi(std::string_view text, RawScan& scan, Messages& messages)
{
    const std::vector<std::string_view> lines = split_lines(text);
    if (lines.size() < kHeaderLines) {
        refuse_file(messages, scan.fileName, "the file ends inside its ten header lines");
        return false;
    }
    double start = 0, end = 0, step = 0;
    if (!header_number(lines, 2, scan, messages, start) || !header_number(lines, 3, scan, messages, end) ||
        !header_number(lines, 4, scan, messages, step) || !check_grid(start, step, scan.fileName, messages))
        return false;
    scan.anode = std::string(trim_blanks(lines[4].substr(0, 2)));
    scan.meanLambda = first_number(lines[5]).value_or(0);
    const std::string_view ident = lines[8];
    const std::size_t key = ident.find("SampleIdent");
    scan.sampleIdentification =
        std::string(trim_blanks(key == std::string_view::npos ? ident : ident.substr(key + 11)));
    std::vector<double> values;
    if (!read_counts(lines, scan, messages, values))
        return false;
    store_points(scan, start, step, values);
    scan.firstAngle = start;
    scan.lastAngle = end;
    return true;
}

}  // namespace

bool read_cpi_text(RawScan& scan, std::string_view text, Messages& messages)
{
    return read_into_scan(scan, messages, [&](RawScan& fresh) { return read_cpi(text, fresh, messages); });
}

bool lit_cpi(RawScan& scan, Messages& messages)
{
    std::string text;
    if (!load_diagram_file(scan.fileName, text, messages))
        return true;
    return read_cpi_text(scan, text, messages);
}

}  // namespace kalidos
