// How an atom symbol ("Fe3+", "O2-", "K1+", "OW") names its rows in the scattering tables.
#pragma once

#include <string>
#include <string_view>

namespace kalidos {

// The text without surrounding blanks, in upper case: how the tables compare symbols.
std::string trimmed_upper(const std::string& text);

// True for the upper-case symbol of an element the scattering tables can know (H to Cf) or D.
bool is_element_name(std::string_view upper);

// The X-ray key of an atom symbol: trimmed, upper case, at most 4 characters. A symbol with no
// row of its own takes the row written with a trailing "." when the table has one: O2- is O2-.
// (the table's only O2- row), while H, C and Si keep their own rows before H., C. and Si.
std::string xray_key(const std::string& atomSymbol);

// The nucleus key of an atom symbol: its element part in upper case, two letters when they name
// an element (Co2+ is CO, not C), else the first letter (K1+ is K, OW is O); leading letters that
// name no element are kept as they are (at most two) so that the refusal can name them.
std::string nucleus_key(const std::string& atomSymbol);

}  // namespace kalidos
