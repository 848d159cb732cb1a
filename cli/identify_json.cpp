#include "identify_json.hpp"

#include "json_writer.hpp"

namespace kalidos::batch {
namespace {

void write_messages(JsonWriter& json, const std::vector<std::string>& messages)
{
    json.key("messages").begin_array();
    for (const std::string& text : messages)
        json.value(text);
    json.end_array();
}

void write_names(JsonWriter& json, const LibraryEntry& entry)
{
    json.field("file", entry.file).field("block", entry.block).field("formula", entry.formula);
    json.field("group", entry.group);
}

void write_candidates(JsonWriter& json, const Identification& found, const std::vector<LibraryEntry>& entries)
{
    json.key("candidates").begin_array();
    int rank = 0;
    for (const Candidate& c : found.candidates) {
        json.begin_object().field("rank", ++rank);
        write_names(json, entries[c.entry]);
        json.field("score", c.figure.score).field("coverage", c.figure.coverage);
        json.field("accuracy", c.figure.accuracy).field("explained", c.figure.explained);
        json.field("copies", static_cast<int>(c.alike.size()) + 1);
        json.key("alike").begin_array();
        for (const std::size_t other : c.alike)
            json.value(entries[other].file);
        json.end_array();
        if (c.checked())
            json.field("rwp", c.rwp).field("fraction", c.fraction);
        else
            json.key("rwp").null().key("fraction").null();
        json.end_object();
    }
    json.end_array();
}

void write_peaks(JsonWriter& json, const char* key, const std::vector<FoundPeak>& peaks)
{
    json.key(key).begin_array();
    for (const FoundPeak& p : peaks)
        json.begin_object().field("two_theta", p.twoTheta).field("d", p.d).field("height", p.height)
            .field("fwhm", p.fwhm).end_object();
    json.end_array();
}

}  // namespace

void write_index_json(std::string& out, const std::string& indexFile, const IndexRunReport& report,
                      const std::vector<std::string>& messages)
{
    JsonWriter json(out);
    json.begin_object().field("index_file", indexFile);
    json.field("files", static_cast<int>(report.files)).field("calculated", static_cast<int>(report.calculated));
    json.field("unchanged", static_cast<int>(report.unchanged)).field("removed", static_cast<int>(report.removed));
    json.field("structures", static_cast<int>(report.structures));
    json.key("refused").begin_array();
    for (const RefusedFile& refused : report.refused)
        json.begin_object().field("file", refused.file).field("reason", refused.reason).end_object();
    json.end_array();
    write_messages(json, messages);
    json.end_object();
    out += '\n';
}

void write_identification_json(std::string& out, const std::string& observed, const std::string& indexFile,
                               const Identification& found, const std::vector<LibraryEntry>& entries,
                               const std::vector<std::string>& messages)
{
    JsonWriter json(out);
    json.begin_object().field("observed", observed).field("index_file", indexFile);
    write_peaks(json, "peaks", primary_peaks(found.search));
    write_candidates(json, found, entries);
    json.key("phases").begin_array();
    for (std::size_t p = 0; p < found.phases.size(); ++p) {
        json.begin_object();
        write_names(json, entries[found.phases[p].entry]);
        json.field("fraction", found.phases[p].fraction).end_object();
    }
    json.end_array();
    if (found.phases.empty())
        json.key("rwp").null();
    else
        json.field("rwp", found.fit.agreement.rwp);
    write_peaks(json, "unexplained", found.unexplained);
    write_messages(json, messages);
    json.end_object();
    out += '\n';
}

}  // namespace kalidos::batch
