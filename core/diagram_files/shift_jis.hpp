// Header text of Japanese instruments (Shift-JIS, code page 932) as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kalidos {

// The text as UTF-8; ASCII passes unchanged, and a byte sequence that is not Shift-JIS leaves
// only the text's ASCII characters.
std::string shift_jis_to_utf8(std::string_view text);

}  // namespace kalidos
