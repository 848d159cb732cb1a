#include "refinement_output/site_labels.hpp"

#include <algorithm>
#include <cctype>

namespace kalidos {

std::vector<std::string> site_labels(const StructureModel& model)
{
    std::vector<std::string> labels;
    for (int i = 1; i <= model.atomCount; ++i) {
        std::string element;
        for (const char c : model.atomSymbol[i]) {
            if (!std::isalpha(static_cast<unsigned char>(c)))
                break;
            element += c;
        }
        std::string own;
        for (const char c : model.atomLabel[i])
            if (std::isalnum(static_cast<unsigned char>(c)))
                own += c;
        std::string label = element + (own.empty() ? std::to_string(i) : own);
        if (std::find(labels.begin(), labels.end(), label) != labels.end())
            label += "_" + std::to_string(i);
        labels.push_back(label);
    }
    return labels;
}

}  // namespace kalidos
