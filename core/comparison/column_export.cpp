#include "comparison/column_export.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>

namespace kalidos {
namespace {

void append_number(std::string& out, double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void append_row(std::string& out, char separator, std::initializer_list<double> values)
{
    bool first = true;
    for (const double v : values) {
        if (!first)
            out += separator;
        append_number(out, v);
        first = false;
    }
    out += '\n';
}

void append_header(std::string& out, char separator, std::initializer_list<const char*> names)
{
    bool first = true;
    for (const char* name : names) {
        if (!first)
            out += separator;
        out += name;
        first = false;
    }
    out += '\n';
}

}  // namespace

std::optional<ColumnLayout> column_layout(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || fileName.find('/', dot) != std::string::npos)
        return std::nullopt;
    std::string extension = fileName.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "xy")
        return ColumnLayout::Xy;
    if (extension == "xye")
        return ColumnLayout::Xye;
    if (extension == "csv")
        return ColumnLayout::Csv;
    return std::nullopt;
}

std::string pattern_columns(ColumnLayout layout, std::span<const double> twoTheta, std::span<const double> intensity)
{
    const char separator = layout == ColumnLayout::Csv ? ',' : ' ';
    std::string out;
    if (layout == ColumnLayout::Xye)
        append_header(out, separator, {"two_theta", "calculated", "sigma"});
    else
        append_header(out, separator, {"two_theta", "calculated"});
    for (std::size_t i = 0; i < twoTheta.size(); ++i) {
        if (layout == ColumnLayout::Xye)
            append_row(out, separator, {twoTheta[i], intensity[i], std::sqrt(std::max(intensity[i], 0.0))});
        else
            append_row(out, separator, {twoTheta[i], intensity[i]});
    }
    return out;
}

std::string agreement_columns(ColumnLayout layout, const Agreement& agreement)
{
    const char separator = layout == ColumnLayout::Csv ? ',' : ' ';
    const AgreementCurves& c = agreement.curves;
    std::string out;
    append_header(out, separator,
                  {"two_theta", "observed", "calculated", "background", "difference", "sigma_fit", "sigma_obs"});
    for (std::size_t i = 0; i < c.twoTheta.size(); ++i)
        append_row(out, separator,
                   {c.twoTheta[i], c.observed[i], c.calculated[i], c.background[i], c.observed[i] - c.calculated[i],
                    c.sigma[i], i < c.figureSigma.size() ? c.figureSigma[i] : c.sigma[i]});
    return out;
}

}  // namespace kalidos
