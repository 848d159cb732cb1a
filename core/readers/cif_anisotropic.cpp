#include "readers/cif_anisotropic.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "computation/displacement_tensor.hpp"
#include "readers/reader_text.hpp"

namespace kalidos
{

namespace
{

enum class TensorForm { U, B, Beta };

// The six columns of one form, in the order 11 22 33 12 13 23; empty when the loop lacks one.
std::array<int, 6> tensor_columns(const CifLoop& loop, std::string_view prefix)
{
    static constexpr std::array<std::string_view, 6> kSuffixes = {"11", "22", "33", "12", "13", "23"};
    std::array<int, 6> columns{};
    for (std::size_t i = 0; i < 6; ++i) {
        columns[i] = loop.column(std::string(prefix) + std::string(kSuffixes[i]));
        if (columns[i] < 0)
            return {-1, -1, -1, -1, -1, -1};
    }
    return columns;
}

// The block's plain aniso items as a loop of one row, for a block without an aniso loop.
CifLoop single_aniso_loop(const CifBlockData& block)
{
    CifLoop single;
    single.rows.emplace_back();
    for (const auto& [tag, value] : block.items)
        if (tag.rfind("_atom_site_aniso_", 0) == 0 && single.column(tag) < 0) {
            single.tags.push_back(tag);
            single.rows[0].push_back(value.text);
        }
    return single;
}

int site_of(const std::vector<CifSite>& sites, const std::string& label)
{
    for (std::size_t i = 0; i < sites.size(); ++i)
        if (sites[i].label == label)
            return static_cast<int>(i) + 1;
    return 0;
}

} // namespace

void read_cif_tensors(StructureModel& model, const CifBlockData& block, const std::vector<CifSite>& sites)
{
    const CifLoop* found = block.find_loop("_atom_site_aniso_label");
    const CifLoop single = found == nullptr ? single_aniso_loop(block) : CifLoop();
    const CifLoop& loop = found != nullptr ? *found : single; // the block's own loop, not a copy
    const int label = loop.column("_atom_site_aniso_label");
    if (label < 0)
        return;
    TensorForm form = TensorForm::U;
    std::array<int, 6> columns = tensor_columns(loop, "_atom_site_aniso_u_");
    if (columns[0] < 0) {
        form = TensorForm::B;
        columns = tensor_columns(loop, "_atom_site_aniso_b_");
    }
    if (columns[0] < 0) {
        form = TensorForm::Beta;
        columns = tensor_columns(loop, "_atom_site_aniso_beta_");
    }
    if (columns[0] < 0)
        return;
    for (const auto& row : loop.rows) {
        const int n = site_of(sites, row[static_cast<std::size_t>(label)]);
        double values[6];
        bool readable = n > 0;
        for (int i = 0; i < 6 && readable; ++i)
            readable = parse_cif_number(row[static_cast<std::size_t>(columns[static_cast<std::size_t>(i)])], values[i]);
        if (!readable)
            continue;
        AnisotropicDisplacement tensor;
        if (form == TensorForm::U) {
            tensor.present = true;
            std::copy(values, values + 6, tensor.u);
        } else {
            tensor = form == TensorForm::B ? tensor_from_b(values) : tensor_from_beta(model.cell, values);
        }
        model.atomAnisotropic[n] = tensor;
        if (!sites[static_cast<std::size_t>(n - 1)].isotropicGiven)
            model.atomB[n] = b_equivalent(model.cell, tensor);
    }
}

} // namespace kalidos
