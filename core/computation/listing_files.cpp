#include "computation/listing_files.hpp"

#include <filesystem>

namespace kalidos {

bool open_listings(ListingFiles& files, const std::string& directory)
{
    const std::filesystem::path dir = directory.empty() ? std::filesystem::path(".") : std::filesystem::path(directory);
    files.detailed.open(dir / kDetailedListingName, std::ios::out | std::ios::trunc);
    files.brief.open(dir / kShortListingName, std::ios::out | std::ios::trunc);
    return files.detailed.is_open() && files.brief.is_open();
}

bool listings_good(const ListingFiles& files)
{
    return files.detailed.good() && files.brief.good();
}

bool close_listings(ListingFiles& files)
{
    if (files.detailed.is_open())
        files.detailed.flush();
    if (files.brief.is_open())
        files.brief.flush();
    const bool good = listings_good(files);
    files.detailed.close();
    files.brief.close();
    return good;
}

}  // namespace kalidos
