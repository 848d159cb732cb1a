// The program's own structure file (.cry): title, system, group, cell and atoms, CR LF lines.
#pragma once

#include "model/structure_model.hpp"
#include "readers/reader_status.hpp"
#include "readers/reader_text.hpp"
#include "ui/messages.hpp"

#include <filesystem>
#include <string>

namespace kalidos
{

// Fills the title, system, group symbol, cell and atom table. More than 400 atom lines:
// "The number of atoms is > 400!" and failure, the atoms read so far staying in the model.
ReadStatus read_cry_lines(StructureModel& model, const TextLines& lines, const std::string& fileName,
                          Messages& messages);
ReadStatus read_cry_file(StructureModel& model, const std::filesystem::path& file, Messages& messages);

// The file's text, lines ended by CR LF, fields as the reader expects them.
std::string format_cry_text(const StructureModel& model);

enum class SaveStatus { Saved, Incomplete, NoFileName, NotOverwritten, CannotWrite };

struct SaveResult {
    SaveStatus status = SaveStatus::NoFileName;
    std::filesystem::path writtenFile; // set when saved
};

// The writing half of the Save command, after the entries were read into the model.
// `chosenPath` is the save dialog's answer, empty when it was cancelled; the name already held in
// `structureFileName` is then written into `startDirectory`. The stored name keeps no directory and
// gets ".cry" unless it already contains it; an existing file is overwritten only on Yes.
SaveResult save_structure_file(StructureModel& model, const std::string& chosenPath, Messages& messages);

} // namespace kalidos
