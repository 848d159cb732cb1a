#include "util/number_text.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kalidos {

std::string normalise_number(std::string text)
{
    if (text.empty())
        return "0";
    if (const auto p = text.find(" ."); p != std::string::npos)
        text[p] = '0';
    if (const auto p = text.find(". "); p != std::string::npos)
        text[p + 1] = '0';
    if (const auto p = text.find("-."); p != std::string::npos)
        text = text.substr(0, p + 1) + "0" + text.substr(p + 1);
    if (text.back() == '.')
        text += '0';
    return text;
}

namespace {

// Length of the longest beginning of `s` that is a decimal number: sign, digits, optional
// fraction, optional exponent; 0 when there is none.
std::size_t number_length(const std::string& s)
{
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        return i - start;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return 0;
    const std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (digits() > 0)
            return i;
    }
    return end;
}

// A number beyond the range of a double (1e400) gives none.
std::optional<double> to_double(const std::string& s, std::size_t length)
{
    // from_chars does not take a leading '+'.
    const std::size_t skip = (length > 0 && s[0] == '+') ? 1 : 0;
    double value = 0;
    const auto result = std::from_chars(s.data() + skip, s.data() + length, value);
    if (result.ec == std::errc::result_out_of_range || !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> parse_real(const std::string& text)
{
    const std::string s = trim(text);
    const std::size_t length = number_length(s);
    if (length == 0 || length != s.size())
        return std::nullopt;
    return to_double(s, length);
}

std::optional<double> parse_real_prefix(const std::string& text)
{
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ')
        ++start;
    const std::string s = text.substr(start);
    const std::size_t length = number_length(s);
    if (length == 0)
        return 0.0;  // no number at all reads 0, as it always has
    return to_double(s, length);
}

double to_real48(double value)
{
    if (value == 0 || !std::isfinite(value))
        return value;
    int exponent = 0;
    const double mantissa = std::frexp(value, &exponent);  // 0.5 <= |mantissa| < 1
    return std::ldexp(std::round(std::ldexp(mantissa, 40)), exponent - 40);
}

double fractional_part(double value) { return value - std::trunc(value); }

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string to_upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string capitalised(const std::string& text)
{
    std::string result = text;
    for (std::size_t i = 0; i < result.size(); ++i) {
        const auto c = static_cast<unsigned char>(result[i]);
        result[i] = static_cast<char>(i == 0 ? std::toupper(c) : std::tolower(c));
    }
    return result;
}

std::string field_text(double value)
{
    char shortest[32];
    const auto end = std::to_chars(shortest, shortest + sizeof shortest, value).ptr;
    char six[32];
    std::snprintf(six, sizeof six, "%.6g", value);
    return std::strtod(six, nullptr) == value ? std::string(shortest, end) : std::string(six);
}

std::optional<double> field_number(const std::string& text, double shown)
{
    if (trim(text) == field_text(shown))
        return shown;
    return parse_real(normalise_number(trim(text)));
}

}  // namespace kalidos
