#include "entry/startup_files.hpp"

#include "util/data_files.hpp"

namespace kalidos {

std::optional<std::string> missing_data_file_message(const std::filesystem::path& directory)
{
    const std::pair<const char*, const char*> files[] = {{"spgr2.dat", "File spgr2.dat not found"},
                                                         {"brcow.an", "File Brcow.an not found"},
                                                         {"Sasaki.an", "File Sasaki.an not found"},
                                                         {"csp.lst", "File Csp.lst not found"}};
    std::optional<std::string> message;
    for (const auto& [name, text] : files)
        if (!data_file_exists(directory, name))
            message = text;
    return message;
}

void delete_old_listings(const std::filesystem::path& directory)
{
    std::error_code ignored;
    for (const char* name : {"fstr2.out", "fstr.out"})
        std::filesystem::remove(directory / name, ignored);
}

}  // namespace kalidos
