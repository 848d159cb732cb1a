// A series' records read back from their JSON Lines file: a rerun continues from them, the series
// window draws them.
#pragma once

#include <string>
#include <vector>

#include "series/series_record.hpp"

namespace kalidos {

// The fit a record holds when the series kept its curves (empty otherwise).
struct SeriesCurves {
    std::vector<double> twoTheta, observed, calculated, background;
};

// The record a line holds, and its curves when `curves` is given; false when the line is not a whole
// record (a line cut short when the run was stopped while writing it, or any other text).
bool read_series_record(const std::string& line, SeriesRecord& record, SeriesCurves* curves = nullptr);

// Every record of a series' file, in the file's order, with their curves when `curves` is given. A
// last line that is not a whole record is left out (the run writing it was stopped). Empty text, or
// why the file is refused (it cannot be read, a line before the last is not a record, no record).
std::string read_series_file(const std::string& path, std::vector<SeriesRecord>& records,
                             std::vector<SeriesCurves>* curves = nullptr);

}  // namespace kalidos
