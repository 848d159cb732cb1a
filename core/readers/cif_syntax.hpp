// The items and loops of one CIF data block: tags with their values, text fields and quotes
// resolved. Lenient: an unclosed quote or text field ends with its line or the block.
#pragma once

#include "readers/reader_text.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace kalidos
{

struct CifLoop {
    std::vector<std::string> tags;              // lower case
    std::vector<std::vector<std::string>> rows; // each row has one value per tag
    int column(std::string_view tag) const;     // 0-based, -1 when absent
};

struct CifValue {
    std::string text;
    bool textField = false; // a ";" field: its lines joined with "\n"
};

struct CifBlockData {
    std::vector<std::pair<std::string, CifValue>> items; // tags in lower case, in file order
    std::vector<CifLoop> loops;

    // The first value of `tag` that is neither "?" nor "."; nullptr when there is none.
    const CifValue* find(std::string_view tag) const;
    // The first loop holding `tag`; nullptr when none does.
    const CifLoop* find_loop(std::string_view tag) const;
};

// True for the CIF null values "?" (unknown) and "." (inapplicable).
bool is_cif_null(std::string_view value);

CifBlockData parse_cif_block(const LineViews& lines);
CifBlockData parse_cif_block(const TextLines& lines);

} // namespace kalidos
