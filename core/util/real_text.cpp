#include "util/real_text.hpp"

#include <charconv>  // for std::from_chars: locale-independent, unlike strtod
#include <cmath>

namespace kalidos {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view trim_blanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Length of the run of digits starting at `pos`.
std::size_t digit_run(std::string_view text, std::size_t pos)
{
    std::size_t n = 0;
    while (pos + n < text.size() && is_digit(text[pos + n]))
        ++n;
    return n;
}

// Checks the decimal syntax by hand: from_chars alone would accept "inf", "nan" and hex forms.
bool is_decimal_number(std::string_view text)
{
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    const std::size_t whole = digit_run(text, pos);
    pos += whole;
    std::size_t fraction = 0;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        fraction = digit_run(text, pos);
        pos += fraction;
    }
    if (whole + fraction == 0)
        return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        const std::size_t exponent = digit_run(text, pos);
        if (exponent == 0)
            return false;
        pos += exponent;
    }
    return pos == text.size();
}

}  // namespace

bool convert_real(std::string_view text, double& value)
{
    text = trim_blanks(text);
    if (!is_decimal_number(text))
        return false;
    if (text.front() == '+')
        text.remove_prefix(1);
    double parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

}  // namespace kalidos
