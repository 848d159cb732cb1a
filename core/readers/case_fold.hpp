// Case-insensitive comparison of tags and keywords without building lowered copies of the text.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kalidos {

// std::tolower's answer for every byte, asked once when the object is made: comparing through
// the table gives what lowering the whole text with to_lower and comparing would, in any locale,
// at the cost of one lookup per character instead of a call and a copy.
class CaseFold {
public:
    CaseFold();

    char lower(char c) const { return table_[static_cast<unsigned char>(c)]; }
    // `lowerText` is already in lower case.
    bool equals(std::string_view text, std::string_view lowerText) const;
    bool starts_with(std::string_view text, std::string_view lowerPrefix) const;
    std::string to_lower(std::string_view text) const;

private:
    std::array<char, 256> table_{};
};

}  // namespace kalidos
