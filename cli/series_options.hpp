// The command-line options of a series of diagrams refined one after another: --series,
// --series-block, --observed-list, --csv and --no-curves.
#pragma once

#include <string>
#include <vector>

#include "profile_options.hpp"  // for OptionRead
#include "series/series_record.hpp"

namespace kalidos::batch {

struct SeriesOptions {
    bool active = false;                   // --series given
    SeriesMode mode = SeriesMode::Sequential;
    int block = 0;                         // --series-block: chains of this many diagrams; 0: one chain
    std::vector<std::string> listFiles;    // --observed-list: one diagram file or folder per line
    std::string csvFile;                   // --csv
    bool curves = true;                    // the records hold the fitted curves unless --no-curves
    bool blockGiven = false;
};

// Reads option `name` (already taken) and its value from arguments[next], moving `next` past it.
OptionRead read_series_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                              SeriesOptions& series, std::string& error);

// Why the series options do not fit the rest of the command line (`observed` --observed paths,
// the refinement's stages given, the JSON file); empty when they do.
std::string series_options_problem(const SeriesOptions& series, std::size_t observed, bool refined,
                                   const std::string& jsonFile);

}  // namespace kalidos::batch
