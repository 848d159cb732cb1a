// XML documents of the measured-diagram formats, read from memory through pugixml. Elements are
// matched by their local name, whatever namespace prefix or version the writer used.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace kalidos {

// Parses `bytes` (an optional byte order mark is skipped). False, with `error` saying where the
// text stops being XML ("the XML of <what> is broken at line 12: ..."), when it does not parse.
bool load_xml(std::string_view bytes, std::string_view what, pugi::xml_document& document,
              std::string& error);

// An element's name without its namespace prefix.
std::string_view local_name(pugi::xml_node node);

// The first child element called `name` (local name); an empty node when there is none.
pugi::xml_node child_named(pugi::xml_node parent, std::string_view name);

// Follows a path of local names separated by '/'; an empty node when a step is missing.
pugi::xml_node path_named(pugi::xml_node parent, std::string_view path);

// The element's text (or the attribute's value when `attribute` is given) as a finite number.
std::optional<double> number_in(pugi::xml_node node, const char* attribute = nullptr);

// Calls `visit` for every child element called `name`, in document order.
template <class Visit>
void for_each_named(pugi::xml_node parent, std::string_view name, Visit&& visit)
{
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && local_name(child) == name)
            visit(child);
}

}  // namespace kalidos
