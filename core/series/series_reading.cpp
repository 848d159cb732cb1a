#include "series/series_reading.hpp"

#include <cmath>
#include <fstream>

#include "util/json_value.hpp"

namespace kalidos {
namespace {

// A number, NaN for null; false for anything else.
bool read_number(const JsonValue& object, const char* key, double& value)
{
    const JsonValue& v = object[key];
    if (v.type() == JsonValue::Type::Null) {
        value = std::nan("");
        return true;
    }
    value = v.number();
    return v.is_number();
}

bool read_int(const JsonValue& object, const char* key, int& value)
{
    const JsonValue& v = object[key];
    if (!v.is_number() || v.number() != std::floor(v.number()) || std::fabs(v.number()) > 2e9)
        return false;
    value = static_cast<int>(v.number());
    return true;
}

bool read_text(const JsonValue& object, const char* key, std::string& text)
{
    const JsonValue& v = object[key];
    text = v.text();
    return v.type() == JsonValue::Type::String;
}

bool read_flag(const JsonValue& object, const char* key, bool& flag)
{
    const JsonValue& v = object[key];
    flag = v.type() == JsonValue::Type::True;
    return v.is_bool();
}

bool read_values(const JsonValue& object, std::vector<SeriesValue>& values)
{
    const JsonValue& list = object["values"];
    if (list.type() != JsonValue::Type::Array)
        return false;
    for (const JsonValue& entry : list.items()) {
        SeriesValue v;
        if (!read_text(entry, "name", v.name) || !read_number(entry, "value", v.value) ||
            !read_number(entry, "su", v.su))
            return false;
        values.push_back(v);
    }
    return true;
}

bool read_summary(const JsonValue& root, SeriesRecord& r)
{
    return read_int(root, "points", r.points) && read_int(root, "refined", r.refined) &&
           read_int(root, "cycles", r.cycles) && read_flag(root, "converged", r.converged) &&
           read_text(root, "outcome", r.outcome) &&
           read_number(root, "rp", r.rp) && read_number(root, "rwp", r.rwp) && read_number(root, "rexp", r.rexp) &&
           read_number(root, "chi2", r.chi2) && read_values(root, r.values);
}

bool read_array(const JsonValue& object, const char* key, std::vector<double>& values)
{
    const JsonValue& list = object[key];
    if (list.type() != JsonValue::Type::Array)
        return false;
    values.clear();
    for (const JsonValue& v : list.items()) {
        if (!v.is_number())
            return false;
        values.push_back(v.number());
    }
    return true;
}

// The curves of a record that has them; none (and true) for one without.
bool read_curves(const JsonValue& root, SeriesCurves& curves)
{
    curves = SeriesCurves{};
    const JsonValue& c = root["curves"];
    if (c.type() == JsonValue::Type::Null)
        return true;
    if (!read_array(c, "two_theta", curves.twoTheta) || !read_array(c, "observed", curves.observed) ||
        !read_array(c, "calculated", curves.calculated) || !read_array(c, "background", curves.background))
        return false;
    const std::size_t n = curves.twoTheta.size();
    return curves.observed.size() == n && curves.calculated.size() == n && curves.background.size() == n;
}

}  // namespace

bool read_series_record(const std::string& line, SeriesRecord& record, SeriesCurves* curves)
{
    JsonValue root;
    if (!parse_json(line, root) || root.type() != JsonValue::Type::Object)
        return false;
    SeriesRecord r;
    SeriesItem& item = r.item;
    if (!read_int(root, "index", r.index) || !read_text(root, "file", item.file) || !read_int(root, "scan", item.scan) ||
        !read_int(root, "scans", item.scans) || !read_text(root, "name", item.name) ||
        !read_number(root, "temperature", item.temperature) || !read_text(root, "start_time", item.startTime) ||
        !read_number(root, "time", item.time) || !read_text(root, "settings", r.settings) ||
        !read_flag(root, "ok", r.ok) || !read_text(root, "reason", r.reason) || !read_int(root, "start", r.start))
        return false;
    if (r.ok && !read_summary(root, r))
        return false;
    if (curves && !read_curves(root, *curves))
        return false;
    record = std::move(r);
    return true;
}

std::string read_series_file(const std::string& path, std::vector<SeriesRecord>& records,
                             std::vector<SeriesCurves>* curves)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "cannot open " + path;
    std::vector<SeriesRecord> read;
    std::vector<SeriesCurves> drawn;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        SeriesRecord record;
        SeriesCurves fit;
        if (!read_series_record(line, record, curves ? &fit : nullptr)) {
            if (in.peek() != std::char_traits<char>::eof())
                return "line " + std::to_string(number) + " of " + path + " is not a record of a series";
            break;
        }
        read.push_back(std::move(record));
        if (curves)
            drawn.push_back(std::move(fit));
    }
    if (read.empty())
        return path + " holds no record of a series";
    records = std::move(read);
    if (curves)
        *curves = std::move(drawn);
    return {};
}

}  // namespace kalidos
