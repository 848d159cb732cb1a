// Numbers of the XML and zip diagram formats: single values, blank-separated lists and their
// echo in messages. Always read with a decimal point, whatever the user's locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalidos {

// A finite number (surrounding blanks allowed); nothing otherwise.
std::optional<double> finite_number(std::string_view text);

// The blank-separated numbers of `text` (one XML element's list) into `values`. False, with
// `error` naming `what` and the value, when a token is not a finite number or when there are
// more than kMaxMeasuredPoints of them.
bool parse_number_list(std::string_view text, std::string_view what, std::vector<double>& values,
                       std::string& error);

// A number as messages show it: up to 10 significant digits, no trailing zeros.
std::string number_text(double value);

}  // namespace kalidos
