// The standard-setting files (C.pos, H.pos, M.pos, O.pos, R.pos, T.pos, Q.POS): one block per group.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/structure_model.hpp"
#include "symmetry/operator_row.hpp"

namespace kalidos {

// Block layout: empty line; symbol; inversion flag F (1 = listed half lacks the inversion);
// N; N operator lines "x,y,z" (any case); M; M lines ignored.

// "C.pos", "Q.POS", ...: the first letter of the system code + ".pos", "Q.POS" for "TETR";
// empty for an unknown code.
std::string standard_setting_file_name(const std::string& crystalSystem);

// The rows of the standard list: the trimmed line after every empty line of the file.
// Empty when the system has no file or the file cannot be read.
std::vector<std::string> read_standard_symbols(const std::filesystem::path& dataDirectory,
                                               const std::string& crystalSystem);

// One coordinate text ("X+1/2", "Y-X", "-Z-1/4") to a row. Returns false when the text is
// none of the eight forms ("X", "Y", "Z", "-X", "-Y", "-Z", "X-Y", "Y-X") after its
// translation is taken off; `row` then keeps its previous coefficients.
bool parse_standard_coordinate(const std::string& text, OperatorRow& row);

enum class BlockStatus { Read, FileMissing, NotFound, Invalid };

struct StandardBlockResult {
    BlockStatus status = BlockStatus::NotFound;
    std::string message;  // for every status but Read
};

// Finds the block whose symbol line equals `symbol` (trailing blanks ignored, case kept) and
// replaces operatorCount, the operators and inversionAdded with it. Any failure leaves the
// table as it was.
StandardBlockResult read_standard_block(const std::filesystem::path& file, const std::string& symbol,
                                        StructureModel& model);

}  // namespace kalidos
