#include "model/atom_names.hpp"

#include <map>
#include <set>

namespace kalidos {

std::vector<std::string> unique_atom_names(const std::vector<std::string>& bases, const StructureModel& model,
                                           const std::string& separator)
{
    const auto site = [&model](std::size_t i) -> const std::string& {
        return model.atomSiteLabel[static_cast<int>(i) + 1];
    };
    std::map<std::string, int> uses, siteUses;
    for (std::size_t i = 0; i < bases.size(); ++i) {
        ++uses[bases[i]];
        ++siteUses[site(i)];
    }
    std::vector<std::string> names(bases.size());
    std::set<std::string> taken;
    for (std::size_t i = 0; i < bases.size(); ++i)
        if (uses[bases[i]] == 1 && !bases[i].empty())
            taken.insert(names[i] = bases[i]);
    for (std::size_t i = 0; i < bases.size(); ++i)
        if (names[i].empty() && !site(i).empty() && siteUses[site(i)] == 1 && !uses.count(site(i)))
            taken.insert(names[i] = site(i));
    for (std::size_t i = 0; i < bases.size(); ++i) {
        if (!names[i].empty())
            continue;
        names[i] = !bases[i].empty() && !taken.count(bases[i]) ? bases[i] : bases[i] + separator + std::to_string(i + 1);
        taken.insert(names[i]);
    }
    return names;
}

}  // namespace kalidos
