// Numbers as crystallographers write them: a value and its standard uncertainty in parentheses, by
// one rule for the CIF, the listings, the windows and the texts of the JSON.
#pragma once

#include <string>

namespace kalidos {

// The IUCr's rule: the su rounded to two digits when they begin with 1 and to one digit otherwise
// (19 is the largest two-digit su written), the value rounded to the same last decimal:
// 4.75820(7), 12.9895(2), 0.1152(13), and 1230(150) or 123(4) when the su reaches the units.
// Without an su (0, negative or not finite) the value alone with up to `plainDigits` decimals,
// trailing zeros dropped.
std::string value_su_text(double value, double su, int plainDigits = 6);

}  // namespace kalidos
