#include "readers/structure_format.hpp"

#include "readers/open_structure_file.hpp" // for the format numbers

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

namespace kalidos {

int structure_format_of(const std::string& path)
{
    static const std::map<std::string, int> formats = {
        {".cry", kFormatCry},        {".ins", kFormatShelx},         {".inp", kFormatShelx},
        {".res", kFormatShelx},      {".cel", kFormatPowderCell},    {".lzy", kFormatLazyPulverix},
        {".cif", kFormatCif}};
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto found = formats.find(extension);
    return found == formats.end() ? 0 : found->second;
}

}  // namespace kalidos
