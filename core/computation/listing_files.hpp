// The two listings of a calculation, open for the whole run in the start directory or in memory.
#pragma once

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

namespace kalidos {

inline constexpr const char* kDetailedListingName = "fstr2.out";
inline constexpr const char* kShortListingName = "fstr.out";

// The passes write to `detailed` and `brief`, behind which lie either the files or strings.
struct ListingFiles {
    std::filebuf detailedFile, briefFile;
    std::stringbuf detailedText, briefText;
    std::ostream detailed{nullptr};  // fstr2.out
    std::ostream brief{nullptr};     // fstr.out
    bool skipped = false;            // nothing is written to either: nobody reads them
};

// Creates (or truncates) both files in `directory`. False when either cannot be created.
bool open_listings(ListingFiles& files, const std::string& directory);

// Both listings written to strings, read back with listing_texts.
void open_listings_in_memory(ListingFiles& files);

// Flushes and closes both; false when a write has failed since they were opened.
bool close_listings(ListingFiles& files);

// True while every write so far has succeeded.
bool listings_good(const ListingFiles& files);

// The text written so far to the in-memory listings (fstr2.out, fstr.out).
std::pair<std::string, std::string> listing_texts(const ListingFiles& files);

}  // namespace kalidos
