// The command-line options of indexing: --find-cell, --peaks, --tolerance, --impurities,
// --zero-range, --max-volume, --systems, --time-limit, --cells.
#pragma once

#include <string>
#include <vector>

#include "indexing/cell_indexing.hpp"
#include "profile_options.hpp"

namespace kalidos::batch {

struct FindCellOptions {
    bool findCell = false;  // --find-cell: index the peaks of --observed or --peaks
    std::string peaksFile;  // --peaks: a peak-list file
    // --tolerance, --impurities, --zero-range, --max-volume, --systems, --time-limit, --cells, --check-cells
    IndexingSettings settings;
    bool settingGiven = false;  // one of the options above was given

    FindCellOptions() { settings.timeLimit = 300, settings.checked = 3; }
    bool active() const { return findCell; }
};

// Reads option `name` (already taken) and its values from arguments[next...], moving `next` past them.
OptionRead read_find_cell_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                                 FindCellOptions& options, std::string& error);

// Why the indexing options do not go with the rest; empty when they do.
std::string find_cell_options_problem(const FindCellOptions& options, bool structureFiles, std::size_t observed,
                                      bool identifying);

// "cubic,tetragonal,hexagonal,orthorhombic,monoclinic,triclinic" (any of them, any order) into the
// systems searched; false with `error` for another word.
bool parse_systems(const std::string& text, std::array<bool, kLatticeSystems>& systems, std::string& error);

}  // namespace kalidos::batch
