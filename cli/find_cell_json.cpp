#include "find_cell_json.hpp"

#include <cstdio>

#include "json_fields.hpp"
#include "json_writer.hpp"

namespace kalidos::batch {
namespace {

void write_cell_values(JsonWriter& json, const UnitCell& c)
{
    json.field("a", c.a).field("b", c.b).field("c", c.c);
    json.field("alpha", c.alpha).field("beta", c.beta).field("gamma", c.gamma);
}

void write_peaks(JsonWriter& json, const FindCellReport& r)
{
    json.key("peaks").begin_object().field("source", r.source);
    json.field("positions", r.peaks->kind == PeakPositionKind::D ? "d" : "2theta");
    json.field("wavelength", r.lines->wavelength);
    json.field("measured_in_two_theta", r.lines->measuredInTwoTheta);
    write_numbers(json, "two_theta", r.lines->twoTheta);
    write_numbers(json, "intensity", r.lines->intensity);
    json.end_object();
}

void write_settings(JsonWriter& json, const IndexingSettings& s)
{
    json.key("settings").begin_object().field("tolerance", s.tolerance);
    json.field("impurities", s.allowedMissing).field("searched_lines", static_cast<int>(s.searchedLines));
    json.field("zero_range", s.zeroRange);
    if (s.maxVolume > 0)
        json.field("max_volume", s.maxVolume);
    else
        json.key("max_volume").null();
    json.field("time_limit", s.timeLimit).end_object();
}

void write_searches(JsonWriter& json, const IndexingResult& result)
{
    json.key("searches").begin_array();
    for (const SystemSearch& s : result.searches) {
        json.begin_object().field("system", system_name(s.system, 'P')).field("searched", s.searched);
        if (s.searched) {
            json.field("complete", s.complete).field("max_volume", s.maxVolume);
            json.field("boxes", static_cast<double>(s.boxes)).field("solutions", static_cast<int>(s.solutions));
            json.field("seconds", s.seconds);
        }
        json.end_object();
    }
    json.end_array();
}

void write_lines(JsonWriter& json, const FoundCell& cell)
{
    json.key("lines").begin_array();
    const CellFit& f = cell.fit;
    for (std::size_t i = 0; i < f.indexed.size(); ++i) {
        json.begin_object().field("indexed", static_cast<bool>(f.indexed[i]));
        if (f.indexed[i]) {
            json.field("h", f.hkl[i].h).field("k", f.hkl[i].k).field("l", f.hkl[i].l);
            json.field("two_theta_calc", f.twoThetaCalculated[i] + f.zero);
        }
        json.end_object();
    }
    json.end_array();
}

void write_cells(JsonWriter& json, const IndexingResult& result)
{
    json.key("cells").begin_array();
    for (const FoundCell& cell : result.cells) {
        const CellFit& f = cell.fit;
        json.begin_object();
        write_cell_values(json, f.cell);
        json.field("volume", cell.volume).field("system", cell.system_name());
        json.field("centring", std::string(1, f.centring)).field("extinction_symbol", cell.extinctionSymbol);
        json.field("m20", f.m20).field("m20_lines", f.m20Lines).field("m20_calculated", f.m20Calculated);
        json.field("fn", f.fn).field("fn_lines", f.fnLines).field("fn_mean_delta", f.fnMeanDelta);
        json.field("fn_possible", f.fnPossible);
        if (cell.rwp)
            json.field("rwp", *cell.rwp);
        else
            json.key("rwp").null();
        json.field("zero", f.zero).field("unindexed", f.unindexed).field("score", f.score());
        json.key("reduced").begin_object();
        write_cell_values(json, cell.reduced);
        json.end_object();
        write_lines(json, cell);
        json.end_object();
    }
    json.end_array();
}

}  // namespace

void write_find_cell_json(std::string& out, const FindCellReport& r, const std::vector<std::string>& messages)
{
    JsonWriter json(out);
    json.begin_object();
    write_peaks(json, r);
    write_settings(json, *r.settings);
    write_searches(json, *r.result);
    write_cells(json, *r.result);
    write_texts(json, "notes", r.result->notes);
    write_texts(json, "messages", messages);
    json.end_object();
    out += '\n';
}

std::string find_cell_table(const IndexingResult& result)
{
    std::string table = "  # system          a         b         c       alpha    beta   gamma     volume      M20      F_N  extinction\n";
    char row[256];
    int rank = 0;
    for (const FoundCell& cell : result.cells) {
        const CellFit& f = cell.fit;
        std::snprintf(row, sizeof row, "%3d %-12s %c %9.5f %9.5f %9.5f %7.3f %7.3f %7.3f %10.2f %8.1f %8.1f  %s\n",
                      ++rank, cell.system_name().c_str(), f.centring, f.cell.a, f.cell.b, f.cell.c, f.cell.alpha,
                      f.cell.beta, f.cell.gamma, cell.volume, f.m20, f.fn, cell.extinctionSymbol.c_str());
        table += row;
    }
    for (const std::string& note : result.notes)
        table += note + "\n";
    return table;
}

}  // namespace kalidos::batch
