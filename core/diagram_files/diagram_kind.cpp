// The described kinds of diagram file told by the extension of the file's name.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "diagram_files/diagram_import.hpp"

namespace kalidos {

int diagram_kind_from_extension(const std::string& fileName)
{
    static const std::map<std::string, DiagramKind> kinds = {
        {".raw", DiagramKind::Raw},           {".rd", DiagramKind::Philips}, {".sim", DiagramKind::Sim},
        {".dat", DiagramKind::Rietveld},      {".cpi", DiagramKind::Cpi},    {".cpd", DiagramKind::Cpd}};
    std::string extension = std::filesystem::path(fileName).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto found = kinds.find(extension);
    return found == kinds.end() ? 0 : static_cast<int>(found->second);
}

}  // namespace kalidos
