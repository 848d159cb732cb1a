// What a series keeps of each diagram's refinement: the figures and every refined value with its
// su, by the refinement's stable names; one row of the series' CSV table.
#pragma once

#include <string>
#include <vector>

#include "refinement/refinement.hpp"
#include "series/series_items.hpp"

namespace kalidos {

// A value with its su under a stable name: a refined parameter ("0::a", "zero"), or a phase's
// "0::volume", "0::fraction" or "0::r_bragg" (without su).
struct SeriesValue {
    std::string name;
    double value = 0, su = 0;
};

struct SeriesRecord {
    int index = 0;  // 1-based place in the series
    SeriesItem item;
    std::string settings;  // the fingerprint of the settings it was refined with
    bool ok = false;
    std::string reason;  // why it failed
    int start = 0;       // the index whose result it started from; 0: the series' start
    int points = 0, refined = 0, cycles = 0;
    bool converged = false;  // every stage converged
    std::string outcome;     // how the refinement ended: "converged", "stalled" or "cycle limit"
    double rp = 0, rwp = 0, rexp = 0, chi2 = 0;
    std::vector<SeriesValue> values;
    const SeriesValue* find(const std::string& name) const;
};

// The record of a finished refinement (ok, figures and values; the rest is the caller's). A
// refinement that diverged or was stopped in a stage gives no values: the record fails with the
// stage's reason, and a sequential series does not start from it.
void fill_series_record(const RefinementResult& result, SeriesRecord& record);

// The names of the values a series' records hold, in the order of the CSV columns: the parameters
// the stages release (the refinement's order), then each phase's volume, fraction and R_Bragg.
std::vector<std::string> series_value_names(const std::vector<RefinementParameter>& parameters, std::size_t phases);

// The CSV table (RFC 4180, "." decimals): index, file, scan, name, temperature_K, time_s, ok, rp, rwp,
// rexp, chi2, points, refined, cycles, converged, outcome, start, then each value and its su, then the
// reason.
std::string series_csv_header(const std::vector<std::string>& names);
std::string series_csv_row(const SeriesRecord& record, const std::vector<std::string>& names);

// The chains of a series of `count` items: each chain refined in order, its first item from the
// series' start and each next one from the result before it. Independent: one item a chain;
// sequential: chains of `block` items (0: one chain).
enum class SeriesMode { Sequential, Independent };
std::vector<std::vector<int>> series_chains(int count, SeriesMode mode, int block);

// 16 hexadecimal digits of a 64-bit FNV-1a hash of `text`: the settings' fingerprint.
std::string fingerprint(const std::string& text);

}  // namespace kalidos
