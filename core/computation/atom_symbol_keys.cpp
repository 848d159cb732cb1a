#include "computation/atom_symbol_keys.hpp"

#include <algorithm>
#include <array>
#include <cctype>

#include "computation/scattering.hpp"
#include "model/structure_model.hpp"

namespace kalidos {
namespace {

constexpr std::array<std::string_view, 99> kElementNames = {
    "H",  "HE", "LI", "BE", "B",  "C",  "N",  "O",  "F",  "NE", "NA", "MG", "AL", "SI", "P",  "S",  "CL",
    "AR", "K",  "CA", "SC", "TI", "V",  "CR", "MN", "FE", "CO", "NI", "CU", "ZN", "GA", "GE", "AS", "SE",
    "BR", "KR", "RB", "SR", "Y",  "ZR", "NB", "MO", "TC", "RU", "RH", "PD", "AG", "CD", "IN", "SN", "SB",
    "TE", "I",  "XE", "CS", "BA", "LA", "CE", "PR", "ND", "PM", "SM", "EU", "GD", "TB", "DY", "HO", "ER",
    "TM", "YB", "LU", "HF", "TA", "W",  "RE", "OS", "IR", "PT", "AU", "HG", "TL", "PB", "BI", "PO", "AT",
    "RN", "FR", "RA", "AC", "TH", "PA", "U",  "NP", "PU", "AM", "CM", "BK", "CF", "D"};

}  // namespace

std::string trimmed_upper(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    std::string key = text.substr(first, last - first + 1);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return key;
}

bool is_element_name(std::string_view upper)
{
    return std::find(kElementNames.begin(), kElementNames.end(), upper) != kElementNames.end();
}

std::string xray_key(const std::string& atomSymbol)
{
    const std::string key = short_text(trimmed_upper(atomSymbol), kAtomSymbolLength);
    if (find_xray_row(key) == 0 && key.size() < kAtomSymbolLength && find_xray_row(key + ".") > 0)
        return key + ".";
    return key;
}

std::string nucleus_key(const std::string& atomSymbol)
{
    const std::string text = trimmed_upper(atomSymbol);
    std::size_t letters = 0;
    while (letters < text.size() && letters < 2 && std::isalpha(static_cast<unsigned char>(text[letters])))
        ++letters;
    const std::string leading = text.substr(0, letters);
    if (letters == 2 && !is_element_name(leading) && is_element_name(leading.substr(0, 1)))
        return leading.substr(0, 1);
    return leading.empty() ? text.substr(0, 2) : leading;
}

}  // namespace kalidos
