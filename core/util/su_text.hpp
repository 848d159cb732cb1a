// Numbers as crystallographers write them: a value and its standard uncertainty in parentheses.
#pragma once

#include <string>

namespace kalidos {

// "1.2345(12)": the su rounded to two digits when they begin with 1 and to one digit otherwise
// (19 is the largest two-digit su written), the value rounded to the same last decimal; "123(4)"
// when the su is 1 or more in the units digit. Without an su (0, negative or not finite) the
// value alone with up to `plainDigits` decimals, trailing zeros dropped.
std::string value_su_text(double value, double su, int plainDigits = 6);

}  // namespace kalidos
