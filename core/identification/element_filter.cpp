#include "identification/element_filter.hpp"

#include <algorithm>
#include <cctype>

#include <gemmi/elem.hpp>

namespace kalidos {
namespace {

bool holds(const std::vector<std::string>& list, const std::string& symbol)
{
    return std::find(list.begin(), list.end(), symbol) != list.end();
}

// "ca" → "Ca"; empty when no element has that symbol.
std::string element_symbol(const std::string& text)
{
    std::string symbol;
    for (const char c : text)
        symbol += static_cast<char>(symbol.empty() ? std::toupper(static_cast<unsigned char>(c))
                                                   : std::tolower(static_cast<unsigned char>(c)));
    if (symbol.empty() || symbol.size() > 2 || !std::all_of(symbol.begin(), symbol.end(), [](char c) {
            return std::isalpha(static_cast<unsigned char>(c)) != 0;
        }))
        return {};
    if (symbol == "D")  // deuterium, as the formulas write it
        return symbol;
    return gemmi::find_element(symbol.c_str()) == gemmi::El::X ? std::string() : symbol;
}

}  // namespace

bool ElementFilter::accepts(const std::vector<std::string>& elements) const
{
    for (const std::string& e : must)
        if (!holds(elements, e))
            return false;
    for (const std::string& e : elements) {
        if (holds(mustNot, e))
            return false;
        if (!may.empty() && !holds(may, e) && !holds(must, e))
            return false;
    }
    return true;
}

std::optional<ElementFilter> parse_element_filter(const std::string& text, std::string& error)
{
    ElementFilter filter;
    std::string word;
    for (const char c : text + ",") {
        if (c != ',' && !std::isspace(static_cast<unsigned char>(c))) {
            word += c;
            continue;
        }
        if (word.empty())
            continue;
        const char sign = word[0] == '+' || word[0] == '-' ? word[0] : ' ';
        const std::string symbol = element_symbol(sign == ' ' ? word : word.substr(1));
        if (symbol.empty()) {
            error = "\"" + word + "\" names no element";
            return std::nullopt;
        }
        (sign == '+' ? filter.must : sign == '-' ? filter.mustNot : filter.may).push_back(symbol);
        word.clear();
    }
    return filter;
}

std::string element_filter_text(const ElementFilter& filter)
{
    std::string text;
    const auto add = [&](const std::vector<std::string>& list, const char* sign) {
        for (const std::string& e : list)
            text += (text.empty() ? "" : ",") + std::string(sign) + e;
    };
    add(filter.must, "+");
    add(filter.may, "");
    add(filter.mustNot, "-");
    return text;
}

}  // namespace kalidos
