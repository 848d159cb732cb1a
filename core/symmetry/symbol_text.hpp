// Small text operations shared by the symmetry readers: trimming, case, blanks, numbers.
#pragma once

#include <string>
#include <string_view>

namespace kalidos::symtext {

std::string trim(std::string_view text);
std::string trim_right(std::string_view text);
std::string upper(std::string_view text);
std::string without_blanks(std::string_view text);
bool equal_ignoring_case(std::string_view left, std::string_view right);

// A decimal real number occupying the whole text ("0.5", "+.5", "-1", "1e-3"), read the
// same whatever the locale. False for anything else, including an empty text.
bool parse_decimal(std::string_view text, double& value);

// A whole number with an optional sign occupying the whole text.
bool parse_whole(std::string_view text, long long& value);

}  // namespace kalidos::symtext
