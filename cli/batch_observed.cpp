#include "batch_observed.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "diagram_files/diagram_import.hpp"
#include "readers/reader_text.hpp"  // for file_name_only

namespace kalidos::batch {

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

bool read_observed_diagram(Workspace& workspace, const std::string& fileName, int scan, StreamMessages& messages)
{
    const int kind = diagram_kind_from_extension(fileName);
    if (kind != 0 && scan != 1) {
        messages.note(file_name_only(fileName) + ": the file holds 1 scan, not a scan " + std::to_string(scan));
        return false;
    }
    if (kind == 0) {
        messages.note("Unknown kind of diagram file (expected .raw, .rd, .sim, .dat, .cpi or .cpd): " + fileName);
        return false;
    }
    ImportResult result = lit_diagramme(workspace, messages, kind, fileName);
    if (result.status == ImportStatus::WavelengthNeeded) {
        ScanWavelengths given;
        given.meanLambda = workspace.model.wavelengths.values[1];
        given.ratio = 1;
        given.anode = "?";
        result = complete_rietveld_import(workspace, messages, given);
    }
    return result.status == ImportStatus::Added;
}

}  // namespace kalidos::batch
