// The described kinds of diagram file told by the extension of the file's name (and a RAW4 by its start).
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
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

bool holds_raw4_diagram(const std::string& fileName)
{
    constexpr std::string_view kSignature = "RAW4.00";
    std::ifstream in(fileName, std::ios::binary);
    std::string start(kSignature.size(), '\0');
    return in.read(start.data(), static_cast<std::streamsize>(start.size())) && start == kSignature;
}

int described_diagram_kind(const std::string& fileName)
{
    const int kind = diagram_kind_from_extension(fileName);
    if (kind == static_cast<int>(DiagramKind::Raw) && holds_raw4_diagram(fileName))
        return 0;
    return kind;
}

}  // namespace kalidos
