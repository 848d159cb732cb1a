// An atom name "C1" becomes "C 1": a blank between a one-letter element and its number.
#pragma once

#include <string>

namespace kalidos
{

// When the second character is a digit 0-9 a blank is inserted before it; otherwise unchanged.
void separate_label_digit(std::string& text);

} // namespace kalidos
