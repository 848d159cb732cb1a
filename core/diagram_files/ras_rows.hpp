// The point rows of Rigaku's profiles, the same in RAS text and in the RASX archive's Profile
// members: 2θ, intensity and an optional attenuator factor, separated by blanks or tabs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kalidos {

struct RasRows {
    std::vector<double> x, y;
};

// Appends one row; the attenuator factor multiplies the intensity. False, with `error` naming
// line `number`, when the row is not two or three numbers or the scan grows past its limit.
bool read_ras_row(std::string_view line, std::size_t number, RasRows& rows, std::string& error);

}  // namespace kalidos
