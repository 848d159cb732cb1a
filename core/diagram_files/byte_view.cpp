#include "diagram_files/byte_view.hpp"

namespace kalidos {

std::string ByteView::text(std::size_t offset, std::size_t length) const
{
    if (!fits(offset, length))
        return {};
    std::string_view field = bytes_.substr(offset, length);
    field = field.substr(0, field.find('\0'));
    while (!field.empty() && field.back() == ' ')
        field.remove_suffix(1);
    return std::string(field);
}

}  // namespace kalidos
