// Decoding one coordinate text of a CIF symmetry operator ("-X+1/2", "1/2+X-Y", "Z-1/4").
#pragma once

#include <string>

#include "symmetry/operator_row.hpp"

namespace kalidos {

struct CifCoordinate {
    bool ok = false;
    OperatorRow row;
    std::string message;  // when !ok: "cannot decode position..." or "Cannot decode translation..."
};

// Reads a sum of signed terms: X, Y, Z (coefficient 1) and at most a translation written as a
// decimal number or a fraction of whole numbers. Case and blanks do not matter. A text
// without a coordinate letter, or with a term that is not a number, gives ok = false with
// the message the importer shows before abandoning; it never ends the program.
CifCoordinate parse_cif_coordinate(const std::string& text);

}  // namespace kalidos
