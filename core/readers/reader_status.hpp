// The result of a structure-file reader: the model holds the read structure, or the read failed.
#pragma once

namespace kalidos
{

// A failed read leaves what was stored before the failure in the model; the caller neither
// looks the group up nor refreshes the window.
enum class ReadStatus { Read, Failed };

} // namespace kalidos
