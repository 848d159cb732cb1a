#include "mixture/phase_list_text.hpp"

#include "util/pascal_format.hpp"
#include "util/su_text.hpp"

namespace kalidos {

std::string phase_list_text(const PhaseListItem& item)
{
    return item.name + "  w = " + (item.su > 0 ? value_su_text(item.fraction, item.su) : fmt_fixed(item.fraction, 0, 4));
}

std::string phase_list_comment(const std::vector<PhaseListItem>& items)
{
    std::string out;
    for (std::size_t p = 0; p < items.size(); ++p)
        out += "# phase " + std::to_string(p + 1) + ": " + phase_list_text(items[p]) + '\n';
    return out;
}

}  // namespace kalidos
