#include "symmetry/cif_coordinate.hpp"

#include <string_view>
#include <vector>

#include "symmetry/symbol_text.hpp"

namespace kalidos {
namespace {

// The text cut before every sign that does not open it: "-X+1/2" gives "-X", "+1/2". Views
// into `text`.
std::vector<std::string_view> signed_terms(std::string_view text)
{
    std::vector<std::string_view> terms;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view term = text.substr(start, i - start);
        if ((text[i] == '+' || text[i] == '-') && !term.empty() && term != "+" && term != "-") {
            terms.push_back(term);
            start = i;
        }
    }
    if (start < text.size())
        terms.push_back(text.substr(start));
    return terms;
}

// "+1/2", "-1/4", "0.5", "-.25": a fraction of whole numbers or a decimal number.
bool translation_value(std::string_view term, double& value)
{
    const std::size_t slash = term.find('/');
    if (slash == std::string_view::npos)
        return symtext::parse_decimal(term, value);
    long long numerator = 0;
    long long denominator = 0;
    if (!symtext::parse_whole(term.substr(0, slash), numerator) ||
        !symtext::parse_whole(term.substr(slash + 1), denominator) || denominator == 0)
        return false;
    value = static_cast<double>(numerator) / static_cast<double>(denominator);
    return true;
}

int axis_of(std::string_view body)
{
    if (body == "X")
        return 0;
    if (body == "Y")
        return 1;
    if (body == "Z")
        return 2;
    return -1;
}

}  // namespace

// A general sum of terms rather than a list of fixed patterns, so that "Y+X", "-X-Y" or
// "1/2+Z" read as written.
CifCoordinate parse_cif_coordinate(const std::string& text)
{
    CifCoordinate result;
    const std::string compact = symtext::upper(symtext::without_blanks(text));
    bool hasAxis = false;
    for (const std::string_view term : signed_terms(compact)) {
        const bool negative = term.front() == '-';
        const std::string_view body = (term.front() == '-' || term.front() == '+') ? term.substr(1) : term;
        const int axis = axis_of(body);
        if (axis >= 0) {
            result.row.r[axis] += negative ? -1.0 : 1.0;
            hasAxis = true;
            continue;
        }
        if (body.find_first_of("XYZ") != std::string_view::npos) {
            result.message = "cannot decode position" + symtext::trim(text);
            return result;
        }
        double value = 0;
        if (!translation_value(term, value)) {
            result.message = "Cannot decode translation" + std::string(term);
            return result;
        }
        result.row.t += value;
    }
    if (!hasAxis) {
        result.message = "cannot decode position" + symtext::trim(text);
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace kalidos
