#include "symmetry/symbol_text.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kalidos::symtext {
namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char upper_char(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// from_chars takes no leading '+'; the files and CIF texts do write one.
std::string_view without_plus(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    return text;
}

}  // namespace

std::string trim(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_blank(text[begin]))
        ++begin;
    while (end > begin && is_blank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string trim_right(std::string_view text)
{
    std::size_t end = text.size();
    while (end > 0 && is_blank(text[end - 1]))
        --end;
    return std::string(text.substr(0, end));
}

std::string upper(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), upper_char);
    return result;
}

std::string without_blanks(std::string_view text)
{
    std::string result;
    for (char c : text) {
        if (!is_blank(c))
            result += c;
    }
    return result;
}

bool equal_ignoring_case(std::string_view left, std::string_view right)
{
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return upper_char(a) == upper_char(b); });
}

bool parse_decimal(std::string_view text, double& value)
{
    const std::string_view body = without_plus(text);
    if (body.empty() || body.front() == '+')
        return false;
    const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value);
    return error == std::errc() && end == body.data() + body.size();
}

bool parse_whole(std::string_view text, long long& value)
{
    const std::string_view body = without_plus(text);
    if (body.empty() || body.front() == '+')
        return false;
    const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value);
    return error == std::errc() && end == body.data() + body.size();
}

}  // namespace kalidos::symtext
