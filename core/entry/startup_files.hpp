// What start-up checks and cleans in the start directory: the data files and the old listings.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kalidos {

// The message for a missing data file (spgr2.dat, brcow.an, Sasaki.an, csp.lst, checked in this
// order and found without regard to case); when several are missing the last one's message is
// given. Nothing when all are there.
std::optional<std::string> missing_data_file_message(const std::filesystem::path& directory);

// Deletes fstr2.out and fstr.out, the listings of an earlier run.
void delete_old_listings(const std::filesystem::path& directory);

}  // namespace kalidos
