// Text helpers shared by the structure-file readers: lines, trimming, case and number conversion.
#pragma once

#include "ui/messages.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalidos
{

using TextLines = std::vector<std::string>;
// Lines as views into a text held elsewhere, for readers that need no copy of them.
using LineViews = std::vector<std::string_view>;

// Structure files are a few hundred kilobytes at most; anything far larger is not one.
inline constexpr std::uintmax_t kMaxStructureFileBytes = 32u * 1024u * 1024u;

// Splits a text into lines at LF, CR LF or a lone CR; the line ends are not kept.
TextLines split_text_lines(std::string_view text);
// The same lines as views into `text`.
LineViews split_line_views(std::string_view text);
// Views of the lines `lines` holds.
LineViews line_views(const TextLines& lines);

// The whole content of a file, or nothing after "Cannot open the file <name>" when it cannot be read.
std::optional<std::string> read_text_file(const std::filesystem::path& file, Messages& messages);

// The lines of read_text_file's content.
std::optional<TextLines> read_text_lines(const std::filesystem::path& file, Messages& messages);

// The file name without its directory, as the messages and the caption show it.
std::string file_name_only(const std::string& path);

std::string trim(std::string_view text);
// The same without a copy: a view into `text`.
std::string_view trim_view(std::string_view text);
std::string trim_left(std::string_view text);
std::string trim_right(std::string_view text);
std::string to_upper(std::string_view text);
std::string to_lower(std::string_view text);
bool contains(std::string_view text, std::string_view part);
bool starts_with(std::string_view text, std::string_view prefix);
// Characters [from, from + count) with 0-based `from`, fewer (or none) past the end.
std::string slice(std::string_view text, std::size_t from, std::size_t count = std::string::npos);
std::string remove_chars(std::string_view text, std::string_view chars);
// The blank- or tab-separated words of a text.
std::vector<std::string> split_words(std::string_view text);

// A decimal real written in full: an optional sign, digits with at most one point, an optional
// exponent. Blanks around it are not allowed; infinities and NaN are refused.
bool parse_real(std::string_view text, double& value);

// A whole number with an optional sign.
bool parse_integer(std::string_view text, long long& value);

// A CIF number: quotes around it and a standard uncertainty in parentheses are dropped
// ("0.1234(5)" gives 0.1234); a value "a/b" is the quotient of two decimal numbers.
bool parse_cif_number(std::string_view text, double& value);

} // namespace kalidos
