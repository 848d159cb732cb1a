// The JSON report of kalidos-batch --find-cell, and its table for a terminal.
#pragma once

#include <string>
#include <vector>

#include "indexing/cell_indexing.hpp"
#include "model/peak_list.hpp"

namespace kalidos::batch {

struct FindCellReport {
    std::string source;   // the peak-list file or the observed diagram
    const PeakList* peaks = nullptr;
    const IndexingLines* lines = nullptr;
    const IndexingSettings* settings = nullptr;
    const IndexingResult* result = nullptr;
};

void write_find_cell_json(std::string& out, const FindCellReport& report, const std::vector<std::string>& messages);

// One line per cell: system, centring, a b c α β γ, volume, M20, F_N, extinction symbol.
std::string find_cell_table(const IndexingResult& result);

}  // namespace kalidos::batch
