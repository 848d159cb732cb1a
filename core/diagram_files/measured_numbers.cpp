#include "diagram_files/measured_numbers.hpp"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>

#include "diagram_files/scan_reading.hpp"  // for parse_number
#include "model/measured_diagram.hpp"      // for kMaxMeasuredPoints

namespace kalidos {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

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

std::string number_text(double value)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(10);
    out << value;
    return out.str();
}

}  // namespace kalidos
