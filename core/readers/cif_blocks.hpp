// Finding the structure blocks of a CIF and copying the chosen one to the scratch file dummy.cif.
#pragma once

#include "readers/reader_text.hpp"
#include "ui/messages.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace kalidos
{

struct CifBlock {
    int firstLine = 0; // 1-based number of the block's "data_" line
    int lastLine = 0;  // the line that ended it: the next "data_" line, a line "#END" or the last line
    std::string name;  // the "data_" line without its first 5 characters
};

// Blocks that hold a cell length and a symmetry item (operators or group name, old or new tag
// names). A file in which none does is taken as one block of all its lines.
std::vector<CifBlock> scan_cif_blocks(const LineViews& lines);
std::vector<CifBlock> scan_cif_blocks(const TextLines& lines);

// The block's lines, each trimmed, empty lines left out, then one empty line: dummy.cif's content.
// The views point into the text `lines` point into.
LineViews cif_block_lines(const LineViews& lines, const CifBlock& block);
TextLines cif_block_lines(const TextLines& lines, const CifBlock& block);

inline constexpr const char* kDummyCifName = "dummy.cif";

// Writes the block copy to dummy.cif in `directory`; false after a message when it cannot.
bool write_dummy_cif(const std::filesystem::path& directory, const LineViews& blockLines, Messages& messages);

} // namespace kalidos
