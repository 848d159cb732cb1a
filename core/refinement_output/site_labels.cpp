#include "refinement_output/site_labels.hpp"

#include "model/atom_names.hpp"

#include <algorithm>
#include <cctype>

namespace kalidos {

std::string cif_type_symbol(const std::string& symbol)
{
    std::string out = symbol;
    for (std::size_t k = 0; k < out.size() && std::isalpha(static_cast<unsigned char>(out[k])); ++k)
        out[k] = static_cast<char>(k == 0 ? std::toupper(static_cast<unsigned char>(out[k]))
                                          : std::tolower(static_cast<unsigned char>(out[k])));
    return out;
}

std::vector<std::string> site_labels(const StructureModel& model)
{
    std::vector<std::string> labels;
    for (int i = 1; i <= model.atomCount; ++i) {
        const std::string symbol = cif_type_symbol(model.atomSymbol[i]);
        const std::string element = symbol.substr(0, symbol.find_first_not_of(
                                                         "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        std::string own;
        for (const char c : model.atomLabel[i])
            if (std::isalnum(static_cast<unsigned char>(c)))
                own += c;
        labels.push_back(element + (own.empty() ? std::to_string(i) : own));
    }
    return unique_atom_names(labels, model, "_");
}

}  // namespace kalidos
