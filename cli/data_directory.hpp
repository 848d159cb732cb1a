// Where the runner finds the program's data files when --data does not say.
#pragma once

#include <filesystem>

namespace kalidos::batch {

// <prefix>/share/kalidos beside an installed program (the executable in <prefix>/bin)
// when it holds spgr2.dat; otherwise the data folder of the source tree it was built from.
std::filesystem::path default_data_directory(const std::filesystem::path& executable);

}  // namespace kalidos::batch
