#include "computation/listing_files.hpp"

#include <filesystem>

namespace kalidos {

bool open_listings(ListingFiles& files, const std::string& directory)
{
    const std::filesystem::path dir = directory.empty() ? std::filesystem::path(".") : std::filesystem::path(directory);
    const auto mode = std::ios::out | std::ios::trunc;
    const bool opened = files.detailedFile.open(dir / kDetailedListingName, mode) != nullptr &&
                        files.briefFile.open(dir / kShortListingName, mode) != nullptr;
    files.detailed.rdbuf(&files.detailedFile);
    files.brief.rdbuf(&files.briefFile);
    return opened;
}

void open_listings_in_memory(ListingFiles& files)
{
    files.detailed.rdbuf(&files.detailedText);
    files.brief.rdbuf(&files.briefText);
}

bool listings_good(const ListingFiles& files)
{
    return files.detailed.good() && files.brief.good();
}

bool close_listings(ListingFiles& files)
{
    files.detailed.flush();
    files.brief.flush();
    const bool good = listings_good(files);
    files.detailedFile.close();
    files.briefFile.close();
    return good;
}

std::pair<std::string, std::string> listing_texts(const ListingFiles& files)
{
    return {files.detailedText.str(), files.briefText.str()};
}

}  // namespace kalidos
