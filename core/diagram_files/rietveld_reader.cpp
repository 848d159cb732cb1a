// Rietveld .dat files: line 1 a "SampleIdent … DataFileName" header or empty, line 3 the
// wavelengths (only after a header), line 5 start, step and end angle, then the counts.
#include <array>
#include <string>
#include <vector>

#include "diagram_files/diagram_readers.hpp"
#include "diagram_files/scan_reading.hpp"

namespace kalidos {
namespace {

constexpr std::string_view kSeparators = " \t,";  // commas count as blanks

std::string sample_identification(std::string_view header)
{
    const std::size_t start = header.find("SampleIdent") + 12;  // from the second character after it
    if (start >= header.size())
        return {};
    const std::size_t end = header.find("DataFileName", start);
    const std::size_t length = end == std::string_view::npos || end < start + 1 ? std::string_view::npos
                                                                                : end - 1 - start;
    return std::string(trim_blanks(header.substr(start, length)));
}

// "Alpha1", "Alpha2" and "Ratio" in this order: each value is the text after the keyword and
// one separator character, up to the next blank; a text that is not a number gives 0.
std::array<double, 3> wavelength_line(std::string_view line)
{
    std::array<double, 3> values{};
    const std::array<std::string_view, 3> keywords{"Alpha1", "Alpha2", "Ratio"};
    for (std::size_t k = 0; k < keywords.size(); ++k) {
        const std::size_t pos = line.find(keywords[k]);
        if (pos == std::string_view::npos)
            continue;
        line = trim_blanks(line.substr(std::min(pos + keywords[k].size() + 1, line.size())));
        values[k] = parse_number(line.substr(0, line.find(' '))).value_or(0);
    }
    return values;
}

bool read_header(const std::vector<std::string_view>& lines, RawScan& scan, Messages& messages)
{
    const std::string_view first = trim_blanks(lines[0]);
    if (first.empty())
        return true;  // the wavelength comes from the user
    if (first.find("SampleIdent") == std::string_view::npos) {
        beep_and_warn(messages, "Error while reading the wavelength in Rietvelf File");
        return false;
    }
    scan.sampleIdentification = sample_identification(first);
    const auto [lambda1, lambda2, ratio] = wavelength_line(lines[2]);
    scan.lambda1 = lambda1;
    scan.lambda2 = lambda2;
    scan.ratio = ratio;
    scan.meanLambda = (ratio * lambda2 + lambda1) / (ratio + 1);
    return true;
}

// The counts after line 5; values beyond the header's point count (the standard deviations
// some programs append) are not read.
bool read_counts(const std::vector<std::string_view>& lines, int count, RawScan& scan, Messages& messages,
                 std::vector<double>& values)
{
    for (std::size_t l = 5; l < lines.size() && values.size() < static_cast<std::size_t>(count); ++l) {
        for (const std::string_view token : split_tokens(lines[l], kSeparators)) {
            const auto value = parse_number(token);
            if (!value) {
                beep_and_warn(messages, "Read error!");
                return false;
            }
            values.push_back(*value);
            if (values.size() == static_cast<std::size_t>(count))
                break;
        }
    }
    if (values.size() < static_cast<std::size_t>(count)) {
        refuse_file(messages, scan.fileName,
                    "the file holds " + std::to_string(values.size()) + " intensities, fewer than the " +
                        std::to_string(count) + " points of its start, step and end line");
        return false;
    }
    return true;
}

bool read_rietveld(std::string_view text, RawScan& scan, Messages& messages)
{
    const std::vector<std::string_view> lines = split_lines(text);
    if (lines.size() < 5) {
        refuse_file(messages, scan.fileName, "the file ends before its start, step and end line");
        return false;
    }
    if (!read_header(lines, scan, messages))
        return false;
    const auto range = split_tokens(lines[4], kSeparators);
    std::array<double, 3> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const auto value = i < range.size() ? parse_number(range[i]) : std::nullopt;
        if (!value) {
            beep_and_warn(messages, "Read error!");
            return false;
        }
        numbers[i] = *value;
    }
    const auto [start, step, end] = numbers;
    int count = 0;
    std::vector<double> values;
    if (!header_point_count(start, end, step, scan.fileName, messages, count) ||
        !read_counts(lines, count, scan, messages, values))
        return false;
    store_points(scan, start, step, values);
    scan.firstAngle = start;
    scan.lastAngle = end;
    return true;
}

}  // namespace

bool read_rietveld_text(RawScan& scan, std::string_view text, Messages& messages)
{
    return read_into_scan(scan, messages, [&](RawScan& fresh) { return read_rietveld(text, fresh, messages); });
}

bool lit_rietveld(RawScan& scan, Messages& messages)
{
    std::string text;
    if (!load_diagram_file(scan.fileName, text, messages))
        return true;
    return read_rietveld_text(scan, text, messages);
}

}  // namespace kalidos
