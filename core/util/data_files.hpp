// Finding the program's data files whatever the case of their names ("Brcow.an" opens brcow.an).
#pragma once

#include <filesystem>
#include <string>

namespace kalidos {

// The path of `name` inside `directory`: the exact name when it exists, otherwise the first
// entry whose name matches without regard to case; the exact (absent) path when none does.
std::filesystem::path find_file_ignoring_case(const std::filesystem::path& directory, const std::string& name);

// True when find_file_ignoring_case finds an existing regular file.
bool data_file_exists(const std::filesystem::path& directory, const std::string& name);

}  // namespace kalidos
