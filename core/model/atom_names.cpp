#include "model/atom_names.hpp"

#include <algorithm>
#include <map>
#include <set>

namespace kalidos {

std::vector<std::string> unique_atom_names(const std::vector<std::string>& bases, const StructureModel& model,
                                           const std::string& separator)
{
    std::map<std::string, int> uses, siteUses;
    for (std::size_t i = 0; i < bases.size(); ++i) {
        ++uses[bases[i]];
        ++siteUses[model.atomSiteLabel[static_cast<int>(i) + 1]];
    }
    const bool apart = std::none_of(uses.begin(), uses.end(),
                                    [](const auto& use) { return use.second > 1 || use.first.empty(); });
    if (apart)
        return bases;
    std::vector<std::string> names(bases.size());
    std::set<std::string> taken;
    for (std::size_t i = 0; i < bases.size(); ++i) {
        const std::string& site = model.atomSiteLabel[static_cast<int>(i) + 1];
        if (!site.empty() && siteUses[site] == 1)
            taken.insert(names[i] = site);
    }
    for (std::size_t i = 0; i < bases.size(); ++i) {
        if (!names[i].empty())
            continue;
        names[i] = !bases[i].empty() && !taken.count(bases[i]) ? bases[i] : bases[i] + separator + std::to_string(i + 1);
        taken.insert(names[i]);
    }
    return names;
}

}  // namespace kalidos
