// What the readers of measured diagrams share: number lists, the step grid and the checks a
// diagram passes before a reader hands it out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/measured_diagram.hpp"

namespace kalidos {

// A finite number written with a decimal point (surrounding blanks allowed); nothing otherwise.
std::optional<double> finite_number(std::string_view text);

// The blank-separated numbers of `text` (one XML element's list, one text column) into `values`.
// False, with `error` naming `what`, when a token is not a finite number or when there are more
// than kMaxMeasuredPoints of them.
bool parse_number_list(std::string_view text, std::string_view what, std::vector<double>& values,
                       std::string& error);

// start + i·step for i < count; each position computed on its own, so no rounding accumulates.
std::vector<double> grid_positions(double start, double step, std::size_t count);

// A number as messages show it: up to 10 significant digits, no trailing zeros.
std::string number_text(double value);

// Every reader's last word: at least one scan, each with points, as many intensities (and σ, when
// given) as positions, every value finite, at most kMaxMeasuredPoints points per scan, and
// wavelengths and counting times that are finite and not negative.
bool check_measured_diagram(const MeasuredDiagram& diagram, std::string& error);

}  // namespace kalidos
