// Which elements a structure must contain, may contain and must not contain.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kalidos {

struct ElementFilter {
    std::vector<std::string> must;     // every one present
    std::vector<std::string> may;      // when any is given, nothing beyond these and `must`
    std::vector<std::string> mustNot;  // none present

    bool empty() const { return must.empty() && may.empty() && mustNot.empty(); }
    bool accepts(const std::vector<std::string>& elements) const;
};

// "+Ca,+F,O,-Pb": +X must contain X, -X must not, a plain X may (commas or spaces between). Element
// symbols in any case. Nothing, with `error`, for a symbol that names no element.
std::optional<ElementFilter> parse_element_filter(const std::string& text, std::string& error);

// The filter as parse_element_filter reads it.
std::string element_filter_text(const ElementFilter& filter);

}  // namespace kalidos
