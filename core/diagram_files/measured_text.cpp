#include "diagram_files/measured_text.hpp"

#include <algorithm>
#include <array>
#include <cctype>

#include "diagram_files/scan_reading.hpp"  // for parse_number, trim_blanks

namespace kalidos {

std::string_view without_bom(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    return text;
}

std::optional<double> parse_comma_number(std::string_view token)
{
    const std::size_t comma = token.find(',');
    if (comma == std::string_view::npos)
        return parse_number(token);
    // One comma, no point: the decimal mark of a locale writing "1234,5".
    constexpr std::size_t kLongestNumber = 64;
    if (token.size() > kLongestNumber || token.find(',', comma + 1) != std::string_view::npos ||
        token.find('.') != std::string_view::npos)
        return std::nullopt;
    std::array<char, kLongestNumber> copy{};
    std::copy(token.begin(), token.end(), copy.begin());
    copy[comma] = '.';
    return parse_number(std::string_view(copy.data(), token.size()));
}

std::string_view unquoted(std::string_view value)
{
    value = trim_blanks(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

bool starts_with_nocase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

double header_number(const HeaderKeys& keys, std::string_view key)
{
    const auto found = keys.find(key);
    return found == keys.end() ? 0 : parse_number(found->second).value_or(0);
}

std::string header_value(const HeaderKeys& keys, std::string_view key)
{
    const auto found = keys.find(key);
    return found == keys.end() ? std::string() : found->second;
}

std::string latin1_to_utf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

}  // namespace kalidos
