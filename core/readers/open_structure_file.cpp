#include "readers/open_structure_file.hpp"
#include "readers/model_number_check.hpp"

#include "computation/cell_metric.hpp"
#include "computation/displacement_tensor.hpp"
#include "computation/scattering.hpp"
#include "readers/cif_reader.hpp"
#include "readers/cry_file.hpp"
#include "readers/lazy_pulverix_reader.hpp"
#include "readers/operator_sets.hpp"
#include "readers/powdercell_reader.hpp"
#include "readers/shelx_readers.hpp"
#include "symmetry/group_selection.hpp"
#include "symmetry/space_group_lookup.hpp"

#include <cctype>
#include <system_error>

namespace kalidos
{

namespace
{

std::filesystem::path work_directory(const StructureModel& model)
{
    return model.startDirectory.empty() ? std::filesystem::current_path()
                                        : std::filesystem::path(model.startDirectory);
}

OpenStatus status_of(ReadStatus status)
{
    return status == ReadStatus::Read ? OpenStatus::Read : OpenStatus::Failed;
}

// A name holding ".res" is a result file; any other is read as an instruction file, the form
// today's result files share.
ReadStatus read_shelx_file(StructureModel& model, const std::filesystem::path& file, Messages& messages)
{
    if (contains(to_lower(file.filename().string()), ".res"))
        return read_shelx_results(model, file, messages);
    return read_shelx_instructions(model, file, messages);
}

OpenStatus run_reader(StructureModel& model, const OpenRequest& request, Messages& messages,
                      CifBlockChooser* chooser)
{
    const std::filesystem::path file = model.structureFileName;
    clear_tensors(model);  // only the readers that find tensors give them again
    model.atomSiteLabel.fill(std::string());  // nor do all give site labels
    switch (request.format) {
    case kFormatCry:
        return status_of(read_cry_file(model, file, messages));
    case kFormatShelx:
        return status_of(read_shelx_file(model, file, messages));
    case kFormatPowderCell:
        return status_of(read_powdercell(model, file, request.dataDirectory, messages));
    case kFormatLazyPulverix:
        return status_of(read_lazy_pulverix(model, file, messages));
    case kFormatCif:
        return read_cif_file(model, file, messages, chooser);
    default:
        messages.warning("This file format cannot be read");
        return OpenStatus::Failed;
    }
}

// The lattice letter of a Hermann-Mauguin or Hall symbol: its first letter (-P 2YBC gives P).
std::string lattice_letter_of(const std::string& symbol)
{
    for (char c : symbol)
        if (std::isalpha(static_cast<unsigned char>(c)))
            return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    return {};
}

// The calculation reads the lattice letter from a symbol's first character: a Hall symbol of a
// centrosymmetric group ("-P 2YBC") is kept without its sign, the operators holding the inversion.
std::string computable_name(const std::string& name)
{
    return !name.empty() && name[0] == '-' ? trim(name.substr(1)) : name;
}

// A CIF's own operators stay when the named group's differ or the name is in neither list.
void keep_file_operators(StructureModel& model, const OperatorTableCopy& fileTable, const std::string& name,
                         const GroupLookup& lookup, Messages& messages)
{
    restore_operator_table(model, fileTable);
    if (lookup.applied) {
        messages.warning("The operators listed in the file differ from those of " + model.spaceGroupSymbol +
                         ": the file's operators are kept");
        return;
    }
    model.spaceGroupSymbol = computable_name(name);
    model.latticeLetter = lattice_letter_of(name);
    messages.warning("The " + std::to_string(fileTable.count) +
                     " operators listed in the file are used for " + name);
}

// The group named by the file, looked up in the catalogue and the standard list and applied. A
// name in neither list (another setting, a Hall symbol) is handed to the interpreter directly.
void apply_named_group(StructureModel& model, const OpenRequest& request, Messages& messages)
{
    const std::string name = model.spaceGroupSymbol;
    if (name.empty())
        return;
    const bool ownOperators = request.format == kFormatCif && model.operatorCount > 0;
    const OperatorTableCopy fileTable = copy_operator_table(model);
    DeferredMessages lookupMessages(messages);
    const GroupLookup lookup =
        look_up_and_apply_space_group(model, name, request.dataDirectory, lookupMessages);
    if (ownOperators) {
        lookupMessages.replay();
        if (!lookup.applied || !same_operations(fileTable, copy_operator_table(model)))
            keep_file_operators(model, fileTable, name, lookup, messages);
        return;
    }
    if (lookup.applied) {
        lookupMessages.replay();
        return;
    }
    DeferredMessages interpreterMessages(messages);
    if (selecte_groupe_getspec(model, make_catalogue_row(name, "", ""), interpreterMessages).applied) {
        model.spaceGroupSymbol = computable_name(model.spaceGroupSymbol);
        return;
    }
    model.spaceGroupSymbol.clear();
    lookupMessages.replay();
    if (lookup.source == GroupSource::None)
        messages.warning("No crystal system fits the cell: the space group " + name + " is not applied");
}

} // namespace

OpenStatus read_cif_file(StructureModel& model, const std::filesystem::path& file, Messages& messages,
                         CifBlockChooser* chooser)
{
    const std::filesystem::path directory = model.scratchInMemory ? std::filesystem::path() : work_directory(model);
    std::error_code ignored;
    if (!model.scratchInMemory)
        std::filesystem::remove(directory / kDummyCifName, ignored);
    const std::optional<std::string> text = read_text_file(file, messages);
    if (!text)
        return OpenStatus::Failed;
    const LineViews lines = split_line_views(*text); // views: the reading copies no line
    const std::vector<CifBlock> blocks = scan_cif_blocks(lines);
    if (blocks.empty()) {
        messages.warning("The file " + file.filename().string() + " is empty");
        return OpenStatus::Failed;
    }
    int chosen = 1;
    if (blocks.size() > 1 && chooser != nullptr)
        chosen = chooser->choose_cif_block(blocks);
    if (chosen < 1 || chosen > static_cast<int>(blocks.size()))
        return OpenStatus::Cancelled;
    const LineViews blockLines = cif_block_lines(lines, blocks[static_cast<std::size_t>(chosen - 1)]);
    if (!model.scratchInMemory && !write_dummy_cif(directory, blockLines, messages))
        return OpenStatus::Failed;
    model.structureFileName = kDummyCifName;
    return status_of(read_cif_block(model, blockLines, messages));
}

OpenStatus open_structure_file(StructureModel& model, const OpenRequest& request, Messages& messages,
                               CifBlockChooser* chooser)
{
    model.crystalSystem.clear();
    model.importFormat = request.format;
    if (!request.fileName.empty())
        model.structureFileName = request.fileName;
    if (model.structureFileName.empty())
        return OpenStatus::NoFile;
    model.spaceGroupSymbol.clear();
    // The previous structure's operators must not serve the new one when no group gets applied.
    clear_operator_table(model);
    const std::string shownName = std::filesystem::path(model.structureFileName).filename().string();
    model.openedFileName = model.structureFileName;
    const OpenStatus status = run_reader(model, request, messages, chooser);
    if (status != OpenStatus::Read)
        return status;
    if (!check_model_numbers(model, "in " + shownName, messages))
        return OpenStatus::Failed;
    compute_cell_metric(model);
    apply_named_group(model, request, messages);
    if (!rebuild_element_table(model, messages))
        return OpenStatus::Failed;
    return OpenStatus::Read;
}

} // namespace kalidos
