// Lazy-Pulverix input files (.lzy): title, cell, space-group symbol and atoms in one pass.
#pragma once

#include "model/structure_model.hpp"
#include "readers/reader_status.hpp"
#include "readers/reader_text.hpp"
#include "ui/messages.hpp"

#include <filesystem>
#include <string>

namespace kalidos
{

ReadStatus read_lazy_pulverix_lines(StructureModel& model, const TextLines& lines, Messages& messages);
ReadStatus read_lazy_pulverix(StructureModel& model, const std::filesystem::path& file, Messages& messages);

} // namespace kalidos
