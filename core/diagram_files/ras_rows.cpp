#include "diagram_files/ras_rows.hpp"

#include <optional>

#include "diagram_files/measured_points.hpp"  // for check_measured_count
#include "diagram_files/scan_reading.hpp"     // for split_tokens, parse_number

namespace kalidos {

bool read_ras_row(std::string_view line, std::size_t number, RasRows& rows, std::string& error)
{
    const auto tokens = split_tokens(line, " \t");
    std::optional<double> values[3] = {1.0, 1.0, 1.0};
    for (std::size_t i = 0; i < tokens.size() && i < 3; ++i)
        values[i] = parse_number(tokens[i]);
    if (tokens.size() < 2 || tokens.size() > 3 || !values[0] || !values[1] || !values[2]) {
        error = "line " + std::to_string(number) + " is not a row of 2θ, intensity and attenuator";
        return false;
    }
    if (rows.x.size() == kMaxMeasuredPoints)
        return check_measured_count(kMaxMeasuredPoints + 1, error);
    rows.x.push_back(*values[0]);
    rows.y.push_back(*values[1] * *values[2]);
    return true;
}

}  // namespace kalidos
