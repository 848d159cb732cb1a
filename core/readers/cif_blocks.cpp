#include "readers/cif_blocks.hpp"

#include "readers/case_fold.hpp"

#include <array>
#include <fstream>
#include <string_view>

namespace kalidos
{

namespace
{

// Each line naming the cell or the symmetry scores one; a structure block scores two or more.
// Every tag begins with "_", which lowering leaves as it is (std::tolower changes letters only):
// the tags are looked for where the line holds a "_", which the line need not be lowered for.
int block_line_score(std::string_view line, const CaseFold& fold)
{
    static constexpr std::array<std::string_view, 6> kSymmetryTags = {
        "_symmetry_equiv_pos_as_xyz", "_space_group_symop_operation_xyz", "_symmetry_space_group_name_h-m",
        "_space_group_name_h-m_alt",  "_symmetry_space_group_name_hall",  "_space_group_name_hall"};
    bool cell = false, symmetry = false;
    for (std::size_t at = line.find('_'); at != std::string_view::npos; at = line.find('_', at + 1)) {
        const std::string_view rest = line.substr(at);
        cell = cell || fold.starts_with(rest, "_cell_length_a");
        for (std::string_view tag : kSymmetryTags)
            symmetry = symmetry || fold.starts_with(rest, tag);
    }
    return (cell ? 1 : 0) + (symmetry ? 1 : 0);
}

bool opens_block(std::string_view trimmed, const CaseFold& fold)
{
    return fold.starts_with(trimmed, "data_");
}

// A line "#END" closes a block; a comment that merely begins with it ("#END Tags that were not
// found in dictionaries", written mid-block by a database) does not.
bool closes_block(std::string_view trimmed, const CaseFold& fold)
{
    return fold.equals(trimmed, "#end");
}

} // namespace

std::vector<CifBlock> scan_cif_blocks(const LineViews& lines)
{
    const CaseFold fold;
    const auto opens = [&](std::size_t n) { return opens_block(trim_view(lines[n]), fold); };
    std::vector<CifBlock> blocks;
    const std::size_t count = lines.size();
    std::size_t i = 0;
    while (i < count) {
        if (!opens(i)) {
            ++i;
            continue;
        }
        int score = 0;
        std::size_t j = i + 1;
        for (; j < count; ++j) {
            const std::string_view line = trim_view(lines[j]);
            if (opens_block(line, fold) || closes_block(line, fold))
                break;
            score += block_line_score(line, fold);
        }
        const std::size_t last = j < count ? j : count - 1;
        if (score > 1)
            blocks.push_back({static_cast<int>(i + 1), static_cast<int>(last + 1),
                              std::string(trim_view(lines[i]).substr(5))});
        i = (j < count && opens(j)) ? j : j + 1;
    }
    if (blocks.empty() && count > 0)
        blocks.push_back({1, static_cast<int>(count), ""});
    return blocks;
}

std::vector<CifBlock> scan_cif_blocks(const TextLines& lines)
{
    return scan_cif_blocks(line_views(lines));
}

LineViews cif_block_lines(const LineViews& lines, const CifBlock& block)
{
    LineViews out;
    const int last = std::min(block.lastLine, static_cast<int>(lines.size()));
    const int first = std::max(block.firstLine, 1);
    out.reserve(static_cast<std::size_t>(std::max(last - first + 2, 1)));
    for (int n = first; n <= last; ++n) {
        const std::string_view text = trim_view(lines[static_cast<std::size_t>(n - 1)]);
        // The next block's header ends this one but is not part of it.
        if (n == block.lastLine && n != block.firstLine && starts_with(to_lower(text), "data_"))
            break;
        if (!text.empty())
            out.push_back(text);
    }
    out.emplace_back();
    return out;
}

TextLines cif_block_lines(const TextLines& lines, const CifBlock& block)
{
    const LineViews views = cif_block_lines(line_views(lines), block);
    return TextLines(views.begin(), views.end());
}

bool write_dummy_cif(const std::filesystem::path& directory, const LineViews& blockLines, Messages& messages)
{
    std::ofstream out(directory / kDummyCifName, std::ios::binary | std::ios::trunc);
    for (std::string_view line : blockLines)
        out << line << "\r\n";
    if (!out) {
        messages.warning(std::string("Cannot write the file ") + kDummyCifName);
        return false;
    }
    return true;
}

} // namespace kalidos
