#include "diagram_files/scan_reading.hpp"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

// 2θ of a real scan lies within ±180 degrees; anything else is a damaged header.
constexpr double kLargestAngle = 180.0;

// The points as read, kept before finish_scan scales the RawScan's copy to 0..100.
void keep_measured_points(RawScan& scan)
{
    auto diagram = std::make_shared<MeasuredDiagram>();
    diagram->fileName = scan.fileName;
    MeasuredScan& points = diagram->scans.emplace_back();
    points.twoTheta.reserve(static_cast<std::size_t>(scan.pointCount));
    points.intensity.reserve(static_cast<std::size_t>(scan.pointCount));
    for (int i = 1; i <= scan.pointCount; ++i) {
        points.twoTheta.push_back(scan.angle[i]);
        points.intensity.push_back(scan.intensity[i]);
    }
    scan.measured = std::move(diagram);
}

}  // namespace

void refuse_file(Messages& messages, const std::string& path, const std::string& text)
{
    beep_and_warn(messages, file_name_only(path) + ": " + text);
}

bool read_into_scan(RawScan& scan, Messages& messages, const std::function<bool(RawScan&)>& read)
{
    auto fresh = std::make_unique<RawScan>();
    fresh->fileName = scan.fileName;
    reset_scan_header(*fresh);
    if (!read(*fresh) || !finish_scan(*fresh, messages))
        return true;
    scan = std::move(*fresh);
    return false;
}

bool load_diagram_file(const std::string& path, std::string& bytes, Messages& messages, std::uintmax_t largest)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || !std::filesystem::is_regular_file(path, error)) {
        refuse_file(messages, path, "the file cannot be read");
        return false;
    }
    if (size > largest) {
        refuse_file(messages, path, "the file is too large for a diagram file");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.assign(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(size))) {
        refuse_file(messages, path, "the file cannot be read");
        return false;
    }
    return true;
}

void reset_scan_header(RawScan& scan)
{
    scan.meanLambda = scan.lambda1 = scan.lambda2 = scan.ratio = 0;
    scan.firstAngle = scan.lastAngle = 0;
    scan.anode.clear();
}

bool check_point_count(long long count, const std::string& path, Messages& messages)
{
    if (count < 0) {
        refuse_file(messages, path, "the header gives an impossible point count (" + std::to_string(count) + ")");
        return false;
    }
    if (count == 0) {
        refuse_file(messages, path, "the file holds no points");
        return false;
    }
    if (count > kRawScanCapacity) {
        refuse_file(messages, path,
                    std::to_string(count) + " points, more than the " + std::to_string(kRawScanCapacity) +
                        " a diagram may hold");
        return false;
    }
    return true;
}

bool check_grid(double start, double step, const std::string& path, Messages& messages)
{
    if (!std::isfinite(start) || std::fabs(start) > kLargestAngle) {
        refuse_file(messages, path, "the start angle in the header is not a usable angle");
        return false;
    }
    if (!std::isfinite(step) || step <= 0) {
        refuse_file(messages, path, "the step in the header is not a positive number");
        return false;
    }
    return true;
}

bool header_point_count(double start, double end, double step, const std::string& path,
                        Messages& messages, int& count)
{
    if (!check_grid(start, step, path, messages))
        return false;
    const double exact = (end - start) / step + 1;
    if (!std::isfinite(exact) || exact < 0.5) {
        refuse_file(messages, path, "the end angle in the header lies before the start angle");
        return false;
    }
    if (exact > kRawScanCapacity + 1) {
        check_point_count(kRawScanCapacity + 1LL, path, messages);
        return false;
    }
    count = static_cast<int>(std::lround(exact));
    return check_point_count(count, path, messages);
}

void store_points(RawScan& scan, double start, double step, const std::vector<double>& intensities)
{
    const int n = static_cast<int>(intensities.size());
    for (int i = 1; i <= n; ++i) {
        scan.angle[i] = static_cast<float>(start + (i - 1) * step);
        scan.intensity[i] = static_cast<float>(intensities[static_cast<std::size_t>(i - 1)]);
    }
    scan.angle.count = scan.intensity.count = scan.pointCount = n;
}

void set_limits_by_search(RawScan& scan)
{
    double smallest = 180, largest = 0;
    for (int i = 1; i <= scan.pointCount; ++i) {
        smallest = std::min(smallest, static_cast<double>(scan.angle[i]));
        largest = std::max(largest, static_cast<double>(scan.angle[i]));
    }
    scan.firstAngle = smallest;
    scan.lastAngle = largest;
}

bool finish_scan(RawScan& scan, Messages& messages)
{
    for (const double value : {scan.meanLambda, scan.lambda1, scan.lambda2, scan.ratio}) {
        if (!std::isfinite(value)) {
            refuse_file(messages, scan.fileName, "a wavelength in the header is not a number");
            return false;
        }
    }
    for (const double limit : {scan.firstAngle, scan.lastAngle}) {
        if (!std::isfinite(limit) || std::fabs(limit) > kLargestAngle) {
            refuse_file(messages, scan.fileName, "the end angle in the header is not a usable angle");
            return false;
        }
    }
    double imin = 0, imax = 0;
    for (int i = 1; i <= scan.pointCount; ++i) {
        const double angle = scan.angle[i], value = scan.intensity[i];
        if (!std::isfinite(angle) || std::fabs(angle) > kLargestAngle) {
            refuse_file(messages, scan.fileName,
                        "the angle of point " + std::to_string(i) + " lies outside -180..180 degrees");
            return false;
        }
        if (!std::isfinite(value)) {
            refuse_file(messages, scan.fileName,
                        "the intensity of point " + std::to_string(i) + " is not a number");
            return false;
        }
        imin = i == 1 ? value : std::min(imin, value);
        imax = i == 1 ? value : std::max(imax, value);
    }
    if (!(imax > imin)) {
        refuse_file(messages, scan.fileName,
                    "every intensity equals " + fmt_fixed(imax, 0, 5) + ": the diagram cannot be scaled");
        return false;
    }
    keep_measured_points(scan);
    for (float& value : scan.intensity)
        value = static_cast<float>((value - imin) * 100 / (imax - imin));
    scan.imax = imax;
    scan.imin = imin;
    return true;
}

std::vector<std::string_view> split_lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string_view> split_tokens(std::string_view line, std::string_view separators)
{
    std::vector<std::string_view> tokens;
    std::size_t pos = 0;
    while (pos < line.size()) {
        const std::size_t start = line.find_first_not_of(separators, pos);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(separators, start), line.size());
        tokens.push_back(line.substr(start, end - start));
        pos = end;
    }
    return tokens;
}

std::string_view trim_blanks(std::string_view text)
{
    const std::size_t start = text.find_first_not_of(" \t\r");
    if (start == std::string_view::npos)
        return {};
    const std::size_t end = text.find_last_not_of(" \t\r");
    return text.substr(start, end - start + 1);
}

// from_chars ignores the C locale, which the application's toolkit may have changed.
std::optional<double> parse_number(std::string_view token)
{
    if (!token.empty() && token.front() == '+')
        token.remove_prefix(1);
    if (token.empty())
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || end != token.data() + token.size())
        return std::nullopt;
    return value;
}

}  // namespace kalidos
