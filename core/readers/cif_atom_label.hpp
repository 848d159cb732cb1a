// The element and label of a CIF atom site, from its label or its type symbol.
#pragma once

#include <string>

namespace kalidos
{

struct ElementAndLabel {
    std::string element; // "Fe", "O", or the undecodable letter(s) as found
    std::string label;   // what follows the element in the site label
    bool decoded = true;
};

// Fe12 gives Fe and 12, O1 gives O and 1, OW gives O and nothing (a second letter that makes no
// element is dropped); a first letter that is no element is not decoded.
ElementAndLabel element_and_label(const std::string& siteLabel);

// The symbol of an `_atom_site_type_symbol` value: the ion (Fe3+, O1-, Ru+4, O2-) when the X-ray
// table has a row for it (O2- finds O2-.), otherwise its element; empty when it names no element.
std::string symbol_from_type_symbol(const std::string& typeSymbol);

} // namespace kalidos
