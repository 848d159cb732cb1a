// The outputs of a series: the JSON Lines file continued from the records a run before left, the CSV
// table, and the chains run in threads, each record written as it is done.
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "batch_calculation.hpp"  // for the exit statuses
#include "batch_many.hpp"         // for draw_progress
#include "batch_series.hpp"
#include "computation/parallel_for.hpp"  // for set_computation_threads
#include "series/series_reading.hpp"
#include "series_json.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

std::pair<std::string, int> key_of(const SeriesItem& item)
{
    return {item.file, item.scan};
}

// The records of the file's whole lines. A last line without its line break, or that is not a whole
// record, was cut short by a stopped run: it is cut off the file. False when a record was made
// with other settings or a line before the last is not a record.
bool read_kept(const std::string& file, const std::string& settings, SeriesPlan& plan, StreamMessages& messages)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        messages.note("Cannot read " + file);
        return false;
    }
    std::string line;
    std::uintmax_t good = 0;  // bytes of the whole records
    for (int number = 1; std::getline(in, line); ++number) {
        const bool whole = !in.eof();
        SeriesRecord record;
        if (!read_series_record(line, record)) {
            if (whole && in.peek() != std::char_traits<char>::eof()) {
                messages.note(file + ": line " + std::to_string(number) + " is not a record of a series");
                return false;
            }
            break;
        }
        if (record.settings != settings) {
            messages.note(file + " holds a series refined with other settings (line " + std::to_string(number) +
                          "): give --overwrite to start it again, or another --json file");
            return false;
        }
        if (!whole)
            break;
        good += line.size() + 1;
        plan.kept.push_back(std::move(record));
        plan.keptLines.push_back(line);
    }
    in.close();
    std::error_code error;
    if (fs::file_size(file, error) != good)
        fs::resize_file(file, good, error);
    if (error) {
        messages.note("Cannot cut the last, unfinished record off " + file + ": " + error.message());
        return false;
    }
    return true;
}

// The outputs of a series run: each record written and flushed as it comes.
class SeriesOutputs {
public:
    SeriesOutputs(const SeriesSetup& setup, std::size_t total, std::ostream& standardOutput)
        : setup_(setup), total_(total), standardOutput_(standardOutput)
    {
    }

    bool open(const std::string& jsonFile, const std::string& csvFile, bool restart, const SeriesPlan& plan,
              StreamMessages& messages)
    {
        if (!jsonFile.empty() && jsonFile != "-") {
            json_.open(jsonFile, restart ? std::ios::binary | std::ios::trunc : std::ios::binary | std::ios::app);
            if (!json_) {
                messages.note("Cannot write " + jsonFile);
                return false;
            }
        }
        toStandardOutput_ = jsonFile == "-";
        if (!csvFile.empty()) {
            csv_.open(csvFile, std::ios::binary | std::ios::trunc);
            if (!write_series_csv_start(csv_, setup_, plan)) {
                messages.note("Cannot write " + csvFile);
                return false;
            }
        }
        return true;
    }

    void write(const SeriesDone& done)
    {
        std::lock_guard lock(mutex_);
        std::ostream* json = toStandardOutput_ ? &standardOutput_ : json_.is_open() ? &json_ : nullptr;
        if (json)
            *json << done.line << '\n' << std::flush;
        if (csv_.is_open())
            csv_ << series_csv_row(done.record, setup_.valueNames) << std::flush;
        failed_ += !done.record.ok;
        written_ = written_ && (!json || json->good()) && (!csv_.is_open() || csv_.good());
        ++refined_;
        if (collect_)
            lines_[done.record.index] = done.line;
        if (progress_)
            draw_progress(++done_, total_);
    }

    void start(std::size_t already, bool collect)
    {
        progress_ = isatty(STDERR_FILENO) != 0;
        done_ = already;
        collect_ = collect;
    }
    bool written() const { return written_; }
    int failed() const { return failed_; }
    std::size_t refined() const { return refined_; }
    std::map<int, std::string>& lines() { return lines_; }

private:
    const SeriesSetup& setup_;
    std::size_t total_;
    std::ostream& standardOutput_;
    std::mutex mutex_;
    std::ofstream json_, csv_;
    bool toStandardOutput_ = false;
    std::map<int, std::string> lines_;  // by index
    int failed_ = 0;
    bool written_ = true;
    bool progress_ = false;
    bool collect_ = false;
    std::size_t done_ = 0, refined_ = 0;
};

}  // namespace

bool plan_series(const SeriesSetup& setup, const std::vector<SeriesItem>& items, const std::string& jsonFile,
                 bool restart, StreamMessages& messages, SeriesPlan& plan)
{
    plan = SeriesPlan{};
    std::error_code error;
    if (!jsonFile.empty() && jsonFile != "-" && !restart && fs::exists(jsonFile, error) &&
        !read_kept(jsonFile, setup.settings, plan, messages))
        return false;
    std::map<std::pair<std::string, int>, int> found;
    for (std::size_t k = 0; k < plan.kept.size(); ++k)
        found[key_of(plan.kept[k].item)] = static_cast<int>(k);
    plan.chains = series_chains(static_cast<int>(items.size()), setup.options.series.mode, setup.options.series.block);
    plan.keptOf.resize(plan.chains.size());
    for (std::size_t c = 0; c < plan.chains.size(); ++c)
        for (const int i : plan.chains[c]) {
            const auto at = found.find(key_of(items[static_cast<std::size_t>(i)]));
            plan.keptOf[c].push_back(at == found.end() ? -1 : at->second);
        }
    return true;
}

bool write_series_csv_start(std::ostream& csv, const SeriesSetup& setup, const SeriesPlan& plan)
{
    csv << series_csv_header(setup.valueNames);
    for (const SeriesRecord& record : plan.kept)
        csv << series_csv_row(record, setup.valueNames);
    return static_cast<bool>(csv.flush());
}

int run_series_files(const SeriesSetup& setup, const std::vector<SeriesItem>& items, int jobs,
                     const std::string& jsonFile, const std::string& csvFile, bool restart, StreamMessages& messages,
                     std::ostream& standardOutput, SeriesTally& tally)
{
    SeriesPlan plan;
    if (!plan_series(setup, items, jsonFile, restart, messages, plan))
        return kExitRefused;
    const bool collect = tally.collect;
    tally = SeriesTally{};
    tally.collect = collect;
    std::vector<std::vector<const SeriesRecord*>> keptOf(plan.chains.size());
    for (std::size_t c = 0; c < plan.chains.size(); ++c)
        for (const int k : plan.keptOf[c]) {
            const SeriesRecord* record = k < 0 ? nullptr : &plan.kept[static_cast<std::size_t>(k)];
            keptOf[c].push_back(record);
            tally.kept += record != nullptr;
            tally.failed += record && !record->ok;
        }
    SeriesOutputs outputs(setup, items.size(), standardOutput);
    if (!outputs.open(jsonFile, csvFile, restart, plan, messages))
        return kExitRefused;
    outputs.start(tally.kept, collect);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t c; (c = next++) < plan.chains.size();)
            run_series_chain(setup, items, plan.chains[c], keptOf[c], [&](SeriesDone done) { outputs.write(done); });
    };
    const int computationThreads = computation_threads();
    const int running = std::min<int>(jobs, static_cast<int>(plan.chains.size()));
    if (running > 1)
        set_computation_threads(1);  // the chains share the cores, each on one
    std::vector<std::thread> threads;
    for (int t = 1; t < running; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    set_computation_threads(computationThreads);
    std::map<int, std::string>& made = outputs.lines();
    for (std::size_t c = 0; c < plan.chains.size() && collect; ++c)
        for (std::size_t k = 0; k < plan.chains[c].size(); ++k) {
            const int i = plan.chains[c][k], kept = plan.keptOf[c][k];
            tally.lines.resize(items.size());
            tally.lines[static_cast<std::size_t>(i)] =
                kept >= 0 ? plan.keptLines[static_cast<std::size_t>(kept)] : made[i + 1];
        }
    tally.refined = outputs.refined();
    tally.failed += outputs.failed();
    if (!outputs.written()) {
        messages.note("Cannot write the records of the series");
        return kExitRefused;
    }
    return tally.failed == 0 ? kExitSuccess : kExitRefused;
}

}  // namespace kalidos::batch
