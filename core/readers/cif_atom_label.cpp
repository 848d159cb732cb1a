#include "readers/cif_atom_label.hpp"

#include "computation/atom_symbol_keys.hpp"
#include "computation/scattering.hpp"
#include "readers/reader_text.hpp"

#include <cctype>

namespace kalidos
{

namespace
{

// The elements the tables know, and dummy atoms.
bool is_element(const std::string& upper)
{
    return is_element_name(upper) || upper == "DU";
}

// FE becomes Fe.
std::string element_case(const std::string& upper)
{
    std::string out = upper;
    for (std::size_t i = 1; i < out.size(); ++i)
        out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(out[i])));
    return out;
}

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}
bool is_letter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

} // namespace

ElementAndLabel element_and_label(const std::string& siteLabel)
{
    const std::string text = trim(siteLabel);
    ElementAndLabel out;
    const bool oneLetter = text.size() >= 2 && is_digit(text[1]);
    std::string element = to_upper(slice(text, 0, oneLetter ? 1 : 2));
    out.label = slice(text, oneLetter ? 1 : 2);
    if (element.size() == 2 && !is_element(element))
        element.resize(1);
    out.decoded = is_element(element);
    out.element = element_case(element);
    return out;
}

std::string symbol_from_type_symbol(const std::string& typeSymbol)
{
    const std::string text = trim(typeSymbol);
    std::size_t letters = 0;
    while (letters < text.size() && letters < 2 && is_letter(text[letters]))
        ++letters;
    std::string element = to_upper(text.substr(0, letters));
    std::size_t next = letters;
    if (element.size() == 2 && !is_element(element)) {
        element.resize(1);
        next = 1;
    }
    if (element.empty() || !is_element(element))
        return {};
    std::size_t digitsEnd = next;
    while (digitsEnd < text.size() && is_digit(text[digitsEnd]))
        ++digitsEnd;
    std::string charge = text.substr(next, digitsEnd - next);
    const bool signed_ = digitsEnd < text.size() && (text[digitsEnd] == '+' || text[digitsEnd] == '-');
    if (!signed_ || charge == "0")
        return element_case(element);
    if (charge.empty())
        charge.push_back('1'); // O- is O1-
    const char sign = text[digitsEnd];
    std::string written = element, tableStyle = element; // Fe3+ and the table's other spelling Ru+4
    written.append(charge).push_back(sign);
    tableStyle.push_back(sign);
    tableStyle.append(charge);
    for (const std::string& ion : {written, tableStyle}) {
        if (find_xray_row(xray_key(ion)) > 0)
            return element_case(element) + ion.substr(element.size());
    }
    return element_case(element);
}

} // namespace kalidos
