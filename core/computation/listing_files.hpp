// The two listings of a calculation, open for the whole run in the start directory.
#pragma once

#include <fstream>
#include <string>

namespace kalidos {

inline constexpr const char* kDetailedListingName = "fstr2.out";
inline constexpr const char* kShortListingName = "fstr.out";

struct ListingFiles {
    std::ofstream detailed;  // fstr2.out
    std::ofstream brief;     // fstr.out
};

// Creates (or truncates) both files in `directory`. False when either cannot be created.
bool open_listings(ListingFiles& files, const std::string& directory);

// Flushes and closes both; false when a write has failed since they were opened.
bool close_listings(ListingFiles& files);

// True while every write so far has succeeded.
bool listings_good(const ListingFiles& files);

}  // namespace kalidos
