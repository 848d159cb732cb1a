#include "batch_structure.hpp"

#include <optional>

#include "computation/scattering.hpp"
#include "readers/open_structure_file.hpp"
#include "readers/reader_text.hpp"
#include "symmetry/space_group_lookup.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

int import_format(const std::string& format)
{
    if (format == "cry")
        return kFormatCry;
    if (format == "shelx")
        return kFormatShelx;
    if (format == "cel")
        return kFormatPowderCell;
    if (format == "lzy")
        return kFormatLazyPulverix;
    return kFormatCif;
}

// --block N in place of the block window; without it the first structure block is read.
class NumberedBlockChooser : public CifBlockChooser {
public:
    explicit NumberedBlockChooser(int block, StreamMessages& messages) : block_(block), messages_(messages) {}
    int choose_cif_block(const std::vector<CifBlock>& blocks) override
    {
        if (block_ == 0)
            return 1;
        if (block_ > static_cast<int>(blocks.size())) {
            messages_.note("The file holds " + std::to_string(blocks.size()) + " structure blocks; block " +
                           std::to_string(block_) + " does not exist");
            return 0;
        }
        return block_;
    }

private:
    int block_;
    StreamMessages& messages_;
};

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

std::string structure_format(const BatchOptions& options)
{
    return options.format.empty() ? format_from_extension(options.structureFile) : options.format;
}

LoadResult load_structure(Workspace& workspace, const BatchOptions& options, const fs::path& dataDirectory,
                          StreamMessages& messages)
{
    StructureModel& model = workspace.model;
    const std::string format = structure_format(options);
    if (format.empty()) {
        messages.note("Cannot tell the format of " + options.structureFile + ": give --format");
        return LoadResult::UsageError;
    }
    if (!fs::is_regular_file(options.structureFile)) {
        messages.note("Cannot open " + options.structureFile);
        return LoadResult::Refused;
    }
    model.importFormat = import_format(format);
    NumberedBlockChooser chooser(options.block, messages);
    const OpenRequest request{model.importFormat, fs::absolute(options.structureFile).string(), dataDirectory};
    if (open_structure_file(model, request, messages, &chooser) != OpenStatus::Read)
        return LoadResult::Refused;
    if (!rebuild_element_table(model, messages))
        return LoadResult::Refused;
    if (!options.spaceGroup.empty() && !apply_space_group(model, options.spaceGroup, dataDirectory, messages))
        return LoadResult::Refused;
    return LoadResult::Loaded;
}

int list_cif_blocks(const BatchOptions& options, StreamMessages& messages, std::ostream& out)
{
    if (structure_format(options) != "cif") {
        messages.note("--list-blocks needs a CIF file");
        return 2;
    }
    const std::optional<TextLines> lines = read_text_lines(options.structureFile, messages);
    if (!lines)
        return 1;
    const std::vector<CifBlock> blocks = scan_cif_blocks(*lines);
    for (std::size_t i = 0; i < blocks.size(); ++i)
        out << i + 1 << ' ' << blocks[i].name << '\n';
    return 0;
}

void print_operators(const StructureModel& model, std::ostream& out)
{
    for (int i = 1; i <= model.operatorCount; ++i)
        out << model.operatorTexts[i] << '\n';
}

}  // namespace kalidos::batch
