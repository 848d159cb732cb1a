// A series' record as one JSON Lines line (series/series_reading.hpp reads it back).
#pragma once

#include <string>
#include <vector>

#include "refinement/refinement.hpp"
#include "series/series_record.hpp"

namespace kalidos::batch {

// One line without its line break: the diagram (index, file, scan, scans, name, temperature, start_time,
// time), settings, ok, reason, start, messages, the figures and values as the CSV holds them and,
// when `result` is given, the refinement object kalidos-batch --refine writes and with `curves`
// its curves (two_theta, observed, calculated, background; to 7 significant digits).
std::string series_record_line(const SeriesRecord& record, const std::vector<std::string>& messages,
                               const RefinementResult* result, bool curves);

}  // namespace kalidos::batch
