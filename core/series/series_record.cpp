#include "series/series_record.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace kalidos {
namespace {

// The shortest text that reads back as the same double; empty for NaN (an empty CSV cell).
std::string number(double value)
{
    if (!std::isfinite(value))
        return {};
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string();
}

std::string quoted(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
}

std::string phase_prefix(std::size_t p)
{
    return std::to_string(p) + "::";
}

}  // namespace

const SeriesValue* SeriesRecord::find(const std::string& name) const
{
    for (const SeriesValue& v : values)
        if (v.name == name)
            return &v;
    return nullptr;
}

void fill_series_record(const RefinementResult& result, SeriesRecord& record)
{
    for (std::size_t s = 0; s < result.stages.size(); ++s) {
        const RefinementStage& stage = result.stages[s];
        if (stage.outcome != FitOutcome::Diverged && stage.outcome != FitOutcome::Stopped)
            continue;
        record.ok = false;
        record.values.clear();
        record.reason = "stage " + std::to_string(s + 1) + " " + outcome_text(stage.outcome);
        for (const std::string& note : stage.notes)
            record.reason += ": " + note;
        return;
    }
    record.ok = true;
    record.outcome = outcome_text(result.outcome);
    record.points = result.points;
    record.refined = result.refinedCount;
    record.rp = result.rp, record.rwp = result.rwp, record.rexp = result.rexp, record.chi2 = result.chi2;
    record.cycles = 0;
    record.converged = !result.stages.empty();
    for (const RefinementStage& stage : result.stages) {
        record.cycles += stage.cycles;
        record.converged = record.converged && stage.converged;
    }
    record.values.clear();
    for (const RefinementParameter& p : result.parameters)
        if (p.refined)
            record.values.push_back({p.name, p.value, p.su});
    for (std::size_t p = 0; p < result.phases.size(); ++p) {
        const RefinedPhase& phase = result.phases[p];
        record.values.push_back({phase_prefix(p) + "volume", phase.volume.value, phase.volume.su});
        if (result.phases.size() > 1)
            record.values.push_back({phase_prefix(p) + "fraction", phase.fraction.value, phase.fraction.su});
        record.values.push_back({phase_prefix(p) + "r_bragg", phase.rBragg, 0});
    }
}

std::vector<std::string> series_value_names(const std::vector<RefinementParameter>& parameters, std::size_t phases)
{
    std::vector<std::string> names;
    for (const RefinementParameter& p : parameters)
        if (p.refined)
            names.push_back(p.name);
    for (std::size_t p = 0; p < phases; ++p) {
        names.push_back(phase_prefix(p) + "volume");
        if (phases > 1)
            names.push_back(phase_prefix(p) + "fraction");
        names.push_back(phase_prefix(p) + "r_bragg");
    }
    return names;
}

std::string series_csv_header(const std::vector<std::string>& names)
{
    std::string line = "index,file,scan,name,temperature_K,time_s,ok,rp,rwp,rexp,chi2,points,refined,cycles,converged,outcome,start";
    for (const std::string& name : names)
        line += "," + quoted(name) + (name.ends_with("::r_bragg") ? "" : "," + quoted(name + "_su"));
    return line + ",reason\n";
}

std::string series_csv_row(const SeriesRecord& r, const std::vector<std::string>& names)
{
    const SeriesItem& item = r.item;
    std::string line = std::to_string(r.index) + "," + quoted(item.file) + "," + std::to_string(item.scan) + "," +
                       quoted(item.name) + "," + number(item.temperature) + "," + number(item.time) + "," +
                       (r.ok ? "1" : "0");
    if (r.ok)
        line += "," + number(r.rp) + "," + number(r.rwp) + "," + number(r.rexp) + "," + number(r.chi2) + "," +
                std::to_string(r.points) + "," + std::to_string(r.refined) + "," + std::to_string(r.cycles) + "," +
                (r.converged ? "1" : "0") + "," + quoted(r.outcome);
    else
        line += ",,,,,,,,,";
    line += "," + std::to_string(r.start);
    for (const std::string& name : names) {
        const SeriesValue* v = r.ok ? r.find(name) : nullptr;
        line += "," + (v ? number(v->value) : std::string());
        if (!name.ends_with("::r_bragg"))
            line += "," + (v ? number(v->su) : std::string());
    }
    return line + "," + quoted(r.reason) + "\n";
}

std::vector<std::vector<int>> series_chains(int count, SeriesMode mode, int block)
{
    const int length = mode == SeriesMode::Independent ? 1 : block > 0 ? block : std::max(count, 1);
    std::vector<std::vector<int>> chains;
    for (int i = 0; i < count; ++i) {
        if (i % length == 0)
            chains.emplace_back();
        chains.back().push_back(i);
    }
    return chains;
}

std::string fingerprint(const std::string& text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    static const char digits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int k = 15; k >= 0; --k, hash >>= 4)
        out[static_cast<std::size_t>(k)] = digits[hash & 15];
    return out;
}

}  // namespace kalidos
