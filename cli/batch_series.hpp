// kalidos-batch --series: the same structures refined against each diagram of a series, one after
// another (each from the result before) or each from the same start, every diagram's record
// written as it is done; a rerun continues where the run before stopped.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "batch_options.hpp"
#include "series/series_items.hpp"
#include "series/series_record.hpp"
#include "stream_messages.hpp"

namespace kalidos::batch {

// What every diagram of a series is refined with.
struct SeriesSetup {
    BatchOptions options;                 // those of the command line, the diagrams left out
    std::filesystem::path data;
    std::vector<StructureModel> models;   // each phase as read (its file's group, before --space-group)
    std::vector<std::string> names;       // the phases' names as kalidos-batch gives them
    std::string settings;                 // the fingerprint every record carries
    std::vector<std::string> valueNames;  // the values of the records, the CSV's columns
};

// Calculates the start (without a diagram) to find the parameters the stages release, and the
// fingerprint of everything a record depends on: the settings, the phases' names and every
// parameter's start value and constraint. False, with the reason told, when the stages are refused.
bool prepare_series(const BatchOptions& options, const std::filesystem::path& data, std::vector<StructureModel> models,
                    std::vector<std::string> names, StreamMessages& messages, SeriesSetup& setup);

// A diagram done: its record and its JSON Lines line (without the line break).
struct SeriesDone {
    SeriesRecord record;
    std::string line;
};

// One chain of a series, in order. `chain` holds item indexes into `items`; `kept[k]` is the record
// of chain[k] a run before left (null: refine it). The first diagram starts from the series' start,
// each next from the last one refined without failing. `done` is called after each refined diagram.
void run_series_chain(const SeriesSetup& setup, const std::vector<SeriesItem>& items, const std::vector<int>& chain,
                      const std::vector<const SeriesRecord*>& kept, const std::function<void(SeriesDone)>& done);

// Where a run of a series stands before it starts: the records a run before left in its JSON Lines
// file (of the same settings), and the chains with the record each diagram has already.
struct SeriesPlan {
    std::vector<SeriesRecord> kept;
    std::vector<std::string> keptLines;     // each kept record's line
    std::vector<std::vector<int>> chains;   // item indexes
    std::vector<std::vector<int>> keptOf;   // per chain and diagram: the kept record, -1 for none
};

// The plan of `items` against the JSON Lines file `jsonFile` (empty or "-": none). A line cut short
// by a stopped run is cut off the file. False, with the reason told, when the file holds records of
// other settings (unless `restart`, which keeps none) or a line before the last is not a record.
bool plan_series(const SeriesSetup& setup, const std::vector<SeriesItem>& items, const std::string& jsonFile,
                 bool restart, StreamMessages& messages, SeriesPlan& plan);

// The CSV table's header and the rows of the kept records.
bool write_series_csv_start(std::ostream& csv, const SeriesSetup& setup, const SeriesPlan& plan);

// What a run of a whole series did.
struct SeriesTally {
    bool collect = false;            // set by the caller: keep the lines
    std::vector<std::string> lines;  // with `collect`, every diagram's record in series order
    std::size_t kept = 0;            // records of the run before, kept
    std::size_t refined = 0;         // diagrams refined in this run
    int failed = 0;                  // records, kept or new, of diagrams that failed
};

// The whole series with its outputs: the JSON Lines file `jsonFile` continued (plan_series), or
// standard output for "-"; the CSV table `csvFile` (empty: none) written again from the kept records,
// then a row for each diagram as it is done. `jobs` chains at once. Returns the exit status: 1 when a
// diagram failed, or an output was refused.
int run_series_files(const SeriesSetup& setup, const std::vector<SeriesItem>& items, int jobs,
                     const std::string& jsonFile, const std::string& csvFile, bool restart, StreamMessages& messages,
                     std::ostream& standardOutput, SeriesTally& tally);

// The diagrams of the command line as a series' inputs.
SeriesInputs series_inputs(const BatchOptions& options);

// A series of `models` (the phases as read, named `names`) with the command line's settings and
// diagrams. Returns the exit status.
int run_series_models(const BatchOptions& options, const std::filesystem::path& data,
                      std::vector<StructureModel> models, std::vector<std::string> names, StreamMessages& messages,
                      std::ostream& standardOutput, SeriesTally& tally);

// kalidos-batch --series: the structure files read, then run_series_models. Returns the exit status.
int run_series(const BatchOptions& options, const std::filesystem::path& data, StreamMessages& messages,
               std::ostream& standardOutput);

}  // namespace kalidos::batch
