// A text line to at most 12 numbers, separated by blanks or commas.
#pragma once

#include <array>
#include <string_view>

namespace kalidos
{

inline constexpr int kMaxNumbersPerLine = 12;

struct SplitNumbers {
    std::array<double, kMaxNumbersPerLine> values{}; // values[0] is the first number
    int count = 0;
    // 0 when every number converted; otherwise the 1-based position of the first field that did not.
    int code = 0;
    bool overflow = false; // the line held more than 12 numbers; the excess is ignored
    double operator[](int i) const { return values[static_cast<std::size_t>(i)]; }
};

// Every comma counts as a blank; each blank-separated field must be a whole decimal number.
// A field that does not convert stores 0 in its place and sets `code`.
SplitNumbers split_numbers(std::string_view line);

} // namespace kalidos
