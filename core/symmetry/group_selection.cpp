#include "symmetry/group_selection.hpp"

#include <sstream>
#include <system_error>

#include "symmetry/getspec.hpp"
#include "symmetry/operator_completion.hpp"
#include "symmetry/operator_text.hpp"
#include "symmetry/scfs_file.hpp"
#include "symmetry/standard_settings.hpp"
#include "symmetry/symbol_text.hpp"
#include "util/data_files.hpp"

namespace kalidos {
namespace {

constexpr const char* kTooManyOperators = "More than 192 operators: the group is refused";

void take_symbol(StructureModel& model, const std::string& symbol)
{
    model.spaceGroupSymbol = short_text(symtext::trim(symbol), kSymbolLength);
    model.latticeLetter = model.spaceGroupSymbol.substr(0, 1);
}

// A group that could not be applied leaves no group at all rather than the previous group's
// operators under the new symbol: the calculation then asks for a group.
SelectionResult refuse(StructureModel& model, SelectionResult result, const std::string& message,
                       Messages& messages)
{
    beep_and_warn(messages, message);
    model.spaceGroupSymbol.clear();
    clear_operator_table(model);
    result.applied = false;
    return result;
}

void remove_file(const std::filesystem::path& file)
{
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

// The interpreter writes scfs.dat in the start directory, or its text into `scfs` when the
// model keeps its scratch files in memory.
InterpreterStatus run_interpreter(const StructureModel& model, const std::string& symbol, std::stringstream& scfs)
{
    if (model.scratchInMemory)
        return getspec(symbol_codes(symbol), scfs);
    const std::filesystem::path directory(model.startDirectory);
    remove_file(directory / "scfs2.dat");
    remove_file(directory / "scfs.dat");  // never read a file left by an earlier group
    return getspec(symbol_codes(symbol), directory);
}

}  // namespace

SelectionResult selecte_groupe_getspec(StructureModel& model, const CatalogueRow& row, Messages& messages)
{
    SelectionResult result;
    result.fields = {row.hermannMauguin, row.hall, row.number};
    model.symbolNotation = "HALL";
    take_symbol(model, row.hermannMauguin);
    const std::string symbol = model.spaceGroupSymbol;
    std::stringstream scfs;
    switch (run_interpreter(model, symbol, scfs)) {
    case InterpreterStatus::UnknownSymbol:
        return refuse(model, result, symbol + " unknown space group", messages);
    case InterpreterStatus::WriteFailed:
        return refuse(model, result, "Cannot write scfs.dat", messages);
    case InterpreterStatus::Written:
        break;
    }
    const ScfsReadResult read = model.scratchInMemory
                                    ? read_scfs(scfs, "scfs.dat", model)
                                    : read_scfs_file(std::filesystem::path(model.startDirectory) / "scfs.dat", model);
    if (!read.ok)
        return refuse(model, result, read.message, messages);
    if (!add_centring_translations(model))
        return refuse(model, result, kTooManyOperators, messages);
    build_operator_texts(model);
    result.applied = true;
    return result;
}

SelectionResult selecte_groupe_HM(StructureModel& model, const std::string& row,
                                  const std::filesystem::path& dataDirectory, Messages& messages)
{
    SelectionResult result;
    model.symbolNotation = "HM";
    take_symbol(model, row);
    result.fields = {model.spaceGroupSymbol, "", ""};
    const std::string symbol = model.spaceGroupSymbol;
    const std::string name = standard_setting_file_name(model.crystalSystem);
    if (name.empty())
        return refuse(model, result, "No standard settings for the crystal system " + model.crystalSystem, messages);
    const StandardBlockResult block =
        read_standard_block(find_file_ignoring_case(dataDirectory, name), symbol, model);
    if (block.status != BlockStatus::Read)
        return refuse(model, result, block.message, messages);
    model.centrosymmetric = false;
    if (model.inversionAdded == 1 && !complete_by_inversion(model))
        return refuse(model, result, kTooManyOperators, messages);
    if (!add_centring_translations(model))
        return refuse(model, result, kTooManyOperators, messages);
    build_operator_texts(model);
    result.applied = true;
    return result;
}

}  // namespace kalidos
