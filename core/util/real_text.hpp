// Converting a typed or read text to a real: decimal syntax, "." as separator, whatever the locale.
#pragma once

#include <string_view>

namespace kalidos {

// True and `value` set when the whole text, blanks around it aside, is one decimal number:
// an optional sign, digits with at most one ".", an optional exponent (1.5, -.5, 3., 2E-3).
// Anything else (an empty text, "1,5", "1.5x", "inf", "nan") fails and leaves `value` alone.
bool convert_real(std::string_view text, double& value);

}  // namespace kalidos
