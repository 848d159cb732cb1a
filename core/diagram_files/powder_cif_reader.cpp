// Powder diffraction CIF: each data block with a loop of measured or processed intensities is
// one scan. 2θ from a `_pd_meas_2theta_scan` (or `_pd_proc_2theta_corrected`) column or from the
// `_pd_meas_2theta_range_min/max/inc` items; σ from the parenthesised standard uncertainties
// ("1234(35)") or an `_su` column. The CIF syntax is the structure reader's.
#include <cmath>
#include <string>
#include <vector>

#include "diagram_files/measured_points.hpp"
#include "diagram_files/measured_readers.hpp"
#include "diagram_files/measured_text.hpp"
#include "diagram_files/scan_reading.hpp"  // for parse_number, trim_blanks
#include "readers/cif_syntax.hpp"

namespace kalidos {
namespace {

// The intensity columns in the order they are preferred, with the unit each implies.
struct IntensityTag {
    const char* tag;
    const char* unit;
};
constexpr IntensityTag kIntensityTags[] = {{"_pd_meas_counts_total", "counts"},
                                           {"_pd_meas_intensity_total", ""},
                                           {"_pd_proc_intensity_total", ""},
                                           {"_pd_proc_intensity_net", ""}};

// Axes a powder CIF can give instead of 2θ.
constexpr const char* kOtherAxes[] = {"_pd_meas_time_of_flight", "_pd_proc_d_spacing", "_pd_meas_position",
                                      "_pd_proc_energy_incident", "_pd_meas_energy"};

// A CIF number and the standard uncertainty in its parentheses ("12.34(5)": 12.34 and 0.05);
// NaN as uncertainty when there is none.
bool parse_with_su(std::string_view text, double& value, double& su)
{
    su = NAN;
    const std::size_t open = text.find('(');
    const std::string_view number = text.substr(0, open);
    const auto parsed = parse_number(number);
    if (!parsed)
        return false;
    value = *parsed;
    if (open == std::string_view::npos)
        return true;
    const std::size_t close = text.find(')', open);
    const auto digits = close == std::string_view::npos ? std::nullopt : parse_number(text.substr(open + 1, close - open - 1));
    if (!digits || close + 1 != text.size())
        return false;
    const std::size_t point = number.find('.');
    const std::size_t exponent = number.find_first_of("eE");
    const std::size_t mantissaEnd = exponent == std::string_view::npos ? number.size() : exponent;
    const int decimals = point == std::string_view::npos ? 0 : static_cast<int>(mantissaEnd - point - 1);
    const double scale = exponent == std::string_view::npos ? 1 : std::pow(10.0, parse_number(number.substr(exponent + 1)).value_or(0));
    su = *digits * std::pow(10.0, -decimals) * scale;
    return true;
}

double item_number(const CifBlockData& block, std::string_view tag)
{
    double value = 0, su = 0;
    const CifValue* item = block.find(tag);
    return item && parse_with_su(item->text, value, su) ? value : 0;
}

// When the scan began (pdCIF) and the sample's temperature (core CIF, kelvin).
void read_conditions(const CifBlockData& block, MeasuredScan& scan)
{
    if (const CifValue* started = block.find("_pd_meas_datetime_initiated"))
        scan.startTime = std::string(trim_blanks(started->text));
    double kelvin = 0, su = 0;
    const CifValue* temperature = block.find("_diffrn_ambient_temperature");
    if (temperature && parse_with_su(temperature->text, kelvin, su) && kelvin > 0)
        scan.temperature = kelvin;
}

void read_radiation(const CifBlockData& block, MeasuredWavelengths& waves)
{
    if (const CifLoop* loop = block.find_loop("_diffrn_radiation_wavelength"); loop && loop->rows.size() > 1) {
        const int lambda = loop->column("_diffrn_radiation_wavelength");
        const int weight = loop->column("_diffrn_radiation_wavelength_wt");
        double su = 0, w1 = 0, w2 = 0;
        parse_with_su(loop->rows[0][lambda], waves.lambda1, su);
        parse_with_su(loop->rows[1][lambda], waves.lambda2, su);
        if (weight >= 0 && parse_with_su(loop->rows[0][weight], w1, su) && parse_with_su(loop->rows[1][weight], w2, su) && w1 > 0)
            waves.ratio = w2 / w1;
    } else {
        waves.lambda1 = item_number(block, "_diffrn_radiation_wavelength");
    }
    if (const CifValue* target = block.find("_diffrn_source_target"))
        waves.anode = target->text;
}

struct PointColumns {
    std::vector<double> x, y, sigma;
    bool anySigma = false;
};

// The loop's rows: 2θ (when `xColumn` >= 0), intensity and its uncertainty.
bool read_columns(const CifLoop& loop, int xColumn, int yColumn, int suColumn, PointColumns& points, std::string& error)
{
    if (!check_measured_count(loop.rows.size(), error))
        return false;
    for (std::size_t r = 0; r < loop.rows.size(); ++r) {
        double x = 0, y = 0, su = NAN, xsu = 0, ignored = 0;
        const auto& row = loop.rows[r];
        const bool ok = (xColumn < 0 || parse_with_su(row[xColumn], x, xsu)) && parse_with_su(row[yColumn], y, su) &&
                        (suColumn < 0 || parse_with_su(row[suColumn], su, ignored));
        if (!ok) {
            error = "point " + std::to_string(r + 1) + " of the diagram loop is not a number";
            return false;
        }
        points.x.push_back(x);
        points.y.push_back(y);
        points.sigma.push_back(su);
        points.anySigma = points.anySigma || !std::isnan(su);
    }
    return true;
}

// 2θ as the loop lists it, or on the grid of the range items.
bool store_block_points(const CifBlockData& block, const CifLoop& loop, int yColumn, int suColumn, MeasuredScan& scan,
                        std::string& error)
{
    int xColumn = loop.column("_pd_meas_2theta_scan");
    if (xColumn < 0)
        xColumn = loop.column("_pd_proc_2theta_corrected");
    PointColumns points;
    if (!read_columns(loop, xColumn, yColumn, suColumn, points, error))
        return false;
    std::vector<double> sigma = points.anySigma ? std::move(points.sigma) : std::vector<double>{};
    if (xColumn >= 0)
        return check_monotonic(points.x, error) &&
               store_listed_points(scan, std::move(points.x), std::move(points.y), std::move(sigma), error);
    const double min = item_number(block, "_pd_meas_2theta_range_min");
    const double max = item_number(block, "_pd_meas_2theta_range_max");
    const double inc = item_number(block, "_pd_meas_2theta_range_inc");
    const double count = inc != 0 ? (max - min) / inc + 1 : 0;
    if (!(std::fabs(count - static_cast<double>(points.y.size())) < 0.5)) {
        error = "the 2θ range items do not give the " + std::to_string(points.y.size()) + " points of the loop";
        return false;
    }
    return store_grid_points(scan, min, inc, std::move(points.y), std::move(sigma), error);
}

// The scan of one block; `found` false when the block holds no diagram.
bool read_block(const CifBlockData& block, std::string_view name, MeasuredScan& scan, bool& found, std::string& error)
{
    found = false;
    for (const IntensityTag& tag : kIntensityTags) {
        const CifLoop* loop = block.find_loop(tag.tag);
        if (!loop)
            continue;
        found = true;
        for (const char* axis : kOtherAxes) {
            if (loop->column(axis) >= 0) {
                error = "the diagram's axis is " + std::string(axis) + ", not 2θ";
                return false;
            }
        }
        scan.name = std::string(name);
        scan.unit = tag.unit;
        scan.countingTime = item_number(block, "_pd_meas_step_count_time");
        read_conditions(block, scan);
        return store_block_points(block, *loop, loop->column(tag.tag), loop->column(std::string(tag.tag) + "_su"), scan,
                                  error);
    }
    return true;
}

// The lines of each data block, the "data_" line first.
std::vector<TextLines> split_blocks(const TextLines& lines)
{
    std::vector<TextLines> blocks;
    for (const std::string& line : lines) {
        if (starts_with_nocase(trim_blanks(line), "data_"))
            blocks.emplace_back();
        if (!blocks.empty())
            blocks.back().push_back(line);
    }
    return blocks;
}

}  // namespace

bool read_powder_cif(std::string_view bytes, MeasuredDiagram& diagram, std::string& error)
{
    diagram = MeasuredDiagram{};
    diagram.format = "pdcif";
    for (const TextLines& lines : split_blocks(split_text_lines(without_bom(bytes)))) {
        const CifBlockData block = parse_cif_block(lines);
        MeasuredScan scan;
        bool found = false;
        if (!read_block(block, trim_blanks(std::string_view(lines[0])).substr(5), scan, found, error))
            return false;
        if (!found)
            continue;
        if (!diagram.wavelengths.stated())
            read_radiation(block, diagram.wavelengths);
        diagram.scans.push_back(std::move(scan));
    }
    if (diagram.scans.empty()) {
        error = "no data block holds a powder diagram (_pd_meas_counts_total, _pd_meas_intensity_total or _pd_proc_intensity_*)";
        return false;
    }
    return true;
}

}  // namespace kalidos
