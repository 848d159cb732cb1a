#include "util/data_location.hpp"

#include <system_error>

#include "util/data_files.hpp"

namespace kalidos {

std::filesystem::path default_data_directory(const std::filesystem::path& executable)
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::canonical(executable, error);
    if (!error) {
        const std::filesystem::path installed = program.parent_path().parent_path() / KALIDOS_INSTALLED_DATA_SUBDIR;
        if (data_file_exists(installed, "spgr2.dat"))
            return installed;
    }
    return KALIDOS_SOURCE_DATA_DIR;
}

}  // namespace kalidos
