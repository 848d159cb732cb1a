// PowderCell structure files (.cel): cell, atoms and the space-group number.
#pragma once

#include "model/structure_model.hpp"
#include "readers/reader_status.hpp"
#include "readers/reader_text.hpp"
#include "ui/messages.hpp"

#include <filesystem>
#include <string>

namespace kalidos
{

// The group number of the "RGNR" line becomes a symbol through csp.lst (found in
// `dataDirectory`), replaced by the crystal system's default when it belongs to another system.
ReadStatus read_powdercell_lines(StructureModel& model, const TextLines& lines, const std::string& fileName,
                                 const std::filesystem::path& dataDirectory, Messages& messages);
ReadStatus read_powdercell(StructureModel& model, const std::filesystem::path& file,
                           const std::filesystem::path& dataDirectory, Messages& messages);

// The default symbol of a system when group `number` is not one of its groups; empty when the
// number belongs to it or the system has no default ("RHOM").
std::string powdercell_default_symbol(const std::string& crystalSystem, long long number);

} // namespace kalidos
