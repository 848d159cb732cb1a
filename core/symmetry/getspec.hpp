// The space-group interpreter: a symbol in, scfs.dat out (the operators of the group).
#pragma once

#include <array>
#include <filesystem>
#include <ostream>
#include <string>

namespace kalidos {

// The symbol as the interpreter receives it: the character codes of its first 16
// characters, blank (32) past its end.
using SymbolCodes = std::array<int, 16>;
SymbolCodes symbol_codes(const std::string& symbol);

enum class InterpreterStatus { Written, UnknownSymbol, WriteFailed };

// Accepts a Hermann-Mauguin symbol (any case and spacing, with ":1", ":2", ":H", ":R" to pick
// an origin or axes; a bare symbol takes origin choice 1 and hexagonal axes) or a Hall symbol,
// and writes `directory`/scfs.dat: line 1 the symbol; one line of 12 numbers per
// representative operator without centring; an empty line; 4 lines on the group; one line
// per operator with its x,y,z text from character 8 on ("-X,-Y,-Z" only for the inversion
// through the origin). Nothing is written for a symbol it does not know.
InterpreterStatus getspec(const SymbolCodes& codes, const std::filesystem::path& directory);

// The same text written to `out` instead of a file.
InterpreterStatus getspec(const SymbolCodes& codes, std::ostream& out);

}  // namespace kalidos
