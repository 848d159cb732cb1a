// ShelX instruction files (.ins, .inp) and result files (.res).
#pragma once

#include "model/structure_model.hpp"
#include "readers/reader_status.hpp"
#include "readers/reader_text.hpp"
#include "ui/messages.hpp"

#include <filesystem>
#include <string>

namespace kalidos
{

// Title, cell and the atoms after the first FVAR line: free variables resolved, U turned into B,
// occupancies turned into chemical occupancies with the file's LATT and SYMM. No space group.
ReadStatus read_shelx_instructions_lines(StructureModel& model, const TextLines& lines,
                                         const std::string& fileName, Messages& messages);
ReadStatus read_shelx_instructions(StructureModel& model, const std::filesystem::path& file,
                                   Messages& messages);

// A result file: the atom table after an "ATOM x y z" or "ATOM X/A" listing header; a file without
// such a header is read as an instruction file, which is what refinement programs write today.
ReadStatus read_shelx_results_lines(StructureModel& model, const TextLines& lines,
                                    const std::string& fileName, Messages& messages);
ReadStatus read_shelx_results(StructureModel& model, const std::filesystem::path& file, Messages& messages);

} // namespace kalidos
