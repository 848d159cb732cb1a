// Typed numbers: the repair of a typed text and its conversion with "." as decimal point.
#pragma once

#include <optional>
#include <string>

namespace kalidos {

// Repairs what users commonly type before it is converted: "" -> "0", " .5" -> "0.5",
// "5. " -> "5.0", "-.5" -> "-0.5", "3." -> "3.0" (each rule applied once, at its first occurrence).
std::string normalise_number(std::string text);

// The whole text as a decimal number (surrounding blanks allowed); nothing when any character
// is not part of the number.
std::optional<double> parse_real(const std::string& text);

// The value of the text's longest valid beginning, 0 when there is none: the unchecked
// conversion of the edits that are not being checked ("12abc" reads 12). Nothing when that
// beginning is a number beyond a double ("1e400"): it must be refused, not read as 0.
std::optional<double> parse_real_prefix(const std::string& text);

// A value rounded to the 40-bit mantissa of the 6-byte real that typed values pass through
// (about 12 significant digits).
double to_real48(double value);

// Removes the integer part towards zero: 1.25 -> 0.25, -1.25 -> -0.25.
double fractional_part(double value);

// A value as a dialog's field shows it: the shortest text that reads back the same value when it
// needs at most six significant digits, else the value to six ("0.0587778" for a refined U).
std::string field_text(double value);
// The number of a field's text: `shown` itself while the text is still field_text(shown), so that a
// field left alone keeps its exact value; else the text read as parse_real reads it.
std::optional<double> field_number(const std::string& text, double shown);

std::string trim(const std::string& text);
std::string to_upper(std::string text);
// First letter upper case, the rest lower case: "FE3+" -> "Fe3+".
std::string capitalised(const std::string& text);

}  // namespace kalidos
