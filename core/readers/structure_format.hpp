// Which File › Open format a structure file's name calls for.
#pragma once

#include <string>

namespace kalidos {

// The format (kFormatCry .. kFormatCif) of a file named .cry, .ins, .inp, .res, .cel, .lzy or .cif,
// whatever the case of its extension; 0 for any other name.
int structure_format_of(const std::string& path);

}  // namespace kalidos
