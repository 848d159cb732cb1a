#include "series_json.hpp"

#include <charconv>

#include "json_fields.hpp"
#include "refinement_json.hpp"

namespace kalidos::batch {
namespace {

// A curve's values to 7 significant digits: the pictures need no more, and the record stays short.
std::vector<double> rounded(const std::vector<double>& values)
{
    std::vector<double> out;
    out.reserve(values.size());
    for (const double v : values) {
        char text[32];
        const auto [end, error] = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 7);
        double back = v;
        if (error == std::errc())
            std::from_chars(text, end, back);
        out.push_back(back);
    }
    return out;
}

void write_curves(JsonWriter& json, const RefinementCurves& c)
{
    json.key("curves").begin_object();
    write_numbers(json, "two_theta", rounded(c.twoTheta));
    write_numbers(json, "observed", rounded(c.observed));
    write_numbers(json, "calculated", rounded(c.calculated));
    write_numbers(json, "background", rounded(c.background));
    json.end_object();
}

void write_item(JsonWriter& json, const SeriesRecord& r)
{
    const SeriesItem& item = r.item;
    json.field("index", r.index).field("file", item.file).field("scan", item.scan).field("scans", item.scans);
    json.field("name", item.name).field("temperature", item.temperature).field("start_time", item.startTime);
    json.field("time", item.time);
}

void write_summary(JsonWriter& json, const SeriesRecord& r)
{
    json.field("points", r.points).field("refined", r.refined).field("cycles", r.cycles);
    json.field("converged", r.converged).field("outcome", r.outcome);
    json.field("rp", r.rp).field("rwp", r.rwp).field("rexp", r.rexp).field("chi2", r.chi2);
    json.key("values").begin_array();
    for (const SeriesValue& v : r.values)
        json.begin_object().field("name", v.name).field("value", v.value).field("su", v.su).end_object();
    json.end_array();
}

}  // namespace

std::string series_record_line(const SeriesRecord& record, const std::vector<std::string>& messages,
                               const RefinementResult* result, bool curves)
{
    std::string line;
    JsonWriter json(line, JsonLayout::OneLine);
    json.begin_object();
    write_item(json, record);
    json.field("settings", record.settings).field("ok", record.ok).field("reason", record.reason);
    json.field("start", record.start);
    write_texts(json, "messages", messages);
    if (record.ok) {
        write_summary(json, record);
        if (result)
            write_refinement(json, *result);
        if (result && curves)
            write_curves(json, result->curves);
    }
    json.end_object();
    return line;
}

}  // namespace kalidos::batch
