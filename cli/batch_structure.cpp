#include "batch_structure.hpp"

#include "computation/scattering.hpp"
#include "readers/cry_file.hpp"
#include "readers/lazy_pulverix_reader.hpp"
#include "readers/powdercell_reader.hpp"
#include "readers/shelx_readers.hpp"
#include "symmetry/space_group_lookup.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

// File › Open's format numbers, as the model stores them.
int import_format(const std::string& format)
{
    if (format == "cry")
        return 1;
    if (format == "shelx")
        return 2;
    if (format == "cel")
        return 3;
    if (format == "lzy")
        return 4;
    return 6;
}

// ShelX files go by their name: ".ins" or ".inp" to the instruction reader, ".res" to the result
// reader, both in that order when both occur (compared with case); neither reads nothing.
ReadStatus read_shelx(StructureModel& model, const fs::path& file, Messages& messages)
{
    const std::string name = file.string();
    ReadStatus status = ReadStatus::Read;
    if (name.find(".ins") != std::string::npos || name.find(".inp") != std::string::npos)
        status = read_shelx_instructions(model, file, messages);
    if (status == ReadStatus::Read && name.find(".res") != std::string::npos)
        status = read_shelx_results(model, file, messages);
    return status;
}

ReadStatus run_reader(StructureModel& model, const std::string& format, const fs::path& file,
                      const fs::path& dataDirectory, Messages& messages)
{
    if (format == "cry")
        return read_cry_file(model, file, messages);
    if (format == "shelx")
        return read_shelx(model, file, messages);
    if (format == "cel")
        return read_powdercell(model, file, dataDirectory, messages);
    if (format == "lzy")
        return read_lazy_pulverix(model, file, messages);
    beep_and_warn(messages, "The CIF reader is not available in this build");
    return ReadStatus::Failed;
}

}  // namespace

bool apply_space_group(StructureModel& model, const std::string& symbol, const fs::path& dataDirectory,
                       StreamMessages& messages)
{
    if (model.crystalSystem.empty()) {
        beep_and_warn(messages, "The system is not defined");
        return false;
    }
    return look_up_and_apply_space_group(model, symbol, dataDirectory, messages).applied;
}

LoadResult load_structure(Workspace& workspace, const BatchOptions& options, const fs::path& dataDirectory,
                          StreamMessages& messages)
{
    StructureModel& model = workspace.model;
    const std::string format = options.format.empty() ? format_from_extension(options.structureFile) : options.format;
    if (format.empty()) {
        messages.note("Cannot tell the format of " + options.structureFile + ": give --format");
        return LoadResult::UsageError;
    }
    const fs::path file = options.structureFile;
    if (!fs::is_regular_file(file)) {
        messages.note("Cannot open " + options.structureFile);
        return LoadResult::Refused;
    }
    model.importFormat = import_format(format);
    model.structureFileName = fs::absolute(file).string();
    model.crystalSystem.clear();
    model.spaceGroupSymbol.clear();
    if (run_reader(model, format, file, dataDirectory, messages) == ReadStatus::Failed)
        return LoadResult::Refused;
    if (!model.spaceGroupSymbol.empty() && !model.crystalSystem.empty())
        look_up_and_apply_space_group(model, model.spaceGroupSymbol, dataDirectory, messages);
    if (!rebuild_element_table(model, messages))
        return LoadResult::Refused;
    if (!options.spaceGroup.empty() && !apply_space_group(model, options.spaceGroup, dataDirectory, messages))
        return LoadResult::Refused;
    return LoadResult::Loaded;
}

void print_operators(const StructureModel& model, std::ostream& out)
{
    for (int i = 1; i <= model.operatorCount; ++i)
        out << model.operatorTexts[i] << '\n';
}

}  // namespace kalidos::batch
