// Fixed-width number and text fields of the listings, grids and files.
#pragma once

#include <string>

namespace kalidos {

// n:w — an integer right-aligned in w characters (a wider number is written whole).
std::string fmt_int(long long n, int width);

// x:w:d — fixed notation with d decimals, right-aligned in w characters. Ties round away
// from zero on the exact binary value (0.125 with 2 decimals gives 0.13).
std::string fmt_fixed(double x, int width, int decimals);

// x:13E — a blank or minus sign, one digit, a point, four digits, E, the exponent's
// sign and four exponent digits: 0.0123 gives " 1.2300E-0002".
std::string fmt_exp13(double x);

// printf's %*.*g: `digits` significant digits, right-aligned in at least `width` characters (the
// figures of merit's χ² in the listings).
std::string fmt_general(double x, int digits, int width = 0);

// s:w — a text right-aligned in at least w characters.
std::string fmt_text(const std::string& text, int width);

}  // namespace kalidos
