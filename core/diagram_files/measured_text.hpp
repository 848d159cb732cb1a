// What the readers of today's text formats share: the byte order mark, numbers with a decimal
// point or comma, and the "<key><separator><value>" header lines of several formats.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kalidos {

// The text without a leading UTF-8 byte order mark.
std::string_view without_bom(std::string_view text);

// A number written with a decimal comma ("1234,5"), or with a point when there is no comma.
std::optional<double> parse_comma_number(std::string_view token);

// A header value with its blanks and one pair of surrounding quotes (single or double) removed.
std::string_view unquoted(std::string_view value);

// True when `text` starts with `prefix`, letters compared without case.
bool starts_with_nocase(std::string_view text, std::string_view prefix);

// The `key -> value` header of a text format (RAS `*KEY "value"`, UXD `_KEY=value`).
using HeaderKeys = std::map<std::string, std::string, std::less<>>;

// The value of `key` as a number; 0 when absent or not a number.
double header_number(const HeaderKeys& keys, std::string_view key);

// The value of `key`; empty when absent.
std::string header_value(const HeaderKeys& keys, std::string_view key);

// Latin-1 header text (UXD, GSAS titles) as UTF-8, so names show as written.
std::string latin1_to_utf8(std::string_view text);

}  // namespace kalidos
