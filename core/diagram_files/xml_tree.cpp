#include "diagram_files/xml_tree.hpp"

#include <algorithm>

#include "diagram_files/measured_numbers.hpp"  // for finite_number

namespace kalidos {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::size_t line_of(std::string_view bytes, std::ptrdiff_t offset)
{
    const auto end = bytes.begin() + std::clamp<std::ptrdiff_t>(offset, 0, std::ssize(bytes));
    return 1 + static_cast<std::size_t>(std::count(bytes.begin(), end, '\n'));
}

}  // namespace

bool load_xml(std::string_view bytes, std::string_view what, pugi::xml_document& document,
              std::string& error)
{
    if (bytes.starts_with(kByteOrderMark))
        bytes.remove_prefix(kByteOrderMark.size());
    // UTF-8 is what every writer of these formats declares; pugixml then keeps the bytes as they are.
    const pugi::xml_parse_result result =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    if (result)
        return true;
    // A file cut short fails where no complete tag follows; damage elsewhere leaves tags after it.
    const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0));
    const bool atEnd = offset >= bytes.size() || bytes.find('>', offset) == std::string_view::npos;
    error = "the XML of " + std::string(what) + (atEnd ? " ends early" : " is broken") + " at line " +
            std::to_string(line_of(bytes, result.offset)) + " (" + result.description() + ")";
    return false;
}

std::string_view local_name(pugi::xml_node node)
{
    const std::string_view name = node.name();
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node child_named(pugi::xml_node parent, std::string_view name)
{
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && local_name(child) == name)
            return child;
    return {};
}

pugi::xml_node path_named(pugi::xml_node parent, std::string_view path)
{
    pugi::xml_node node = parent;
    while (node && !path.empty()) {
        const std::size_t slash = std::min(path.find('/'), path.size());
        node = child_named(node, path.substr(0, slash));
        path.remove_prefix(std::min(slash + 1, path.size()));
    }
    return node;
}

std::optional<double> number_in(pugi::xml_node node, const char* attribute)
{
    if (!node)
        return std::nullopt;
    return finite_number(attribute ? node.attribute(attribute).value() : node.child_value());
}

}  // namespace kalidos
