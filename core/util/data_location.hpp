// Where the programs find their data files (space groups, settings, anomalous tables) when no
// folder is named: beside an installed program, or in the source tree a build came from.
#pragma once

#include <filesystem>

namespace kalidos {

// <prefix>/share/kalidos when `executable` (resolved through links) lies in <prefix>/bin and that
// folder holds spgr2.dat: the rule is relative so that an installed tree still works when it is
// unpacked or moved elsewhere. Otherwise the data folder of the source tree the program was built
// from.
std::filesystem::path default_data_directory(const std::filesystem::path& executable);

}  // namespace kalidos
