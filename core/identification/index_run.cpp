#include "identification/index_run.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "computation/parallel_for.hpp"
#include "computation/reflection_generation.hpp"
#include "identification/structure_calculation.hpp"
#include "readers/structure_format.hpp"

namespace kalidos {
namespace {

namespace fs = std::filesystem;

// The first message of a file's reading and calculation says why it was refused.
class CollectedMessages : public Messages {
public:
    void warning(const std::string& text) override
    {
        if (first.empty())
            first = text;
        tooManyReflections = tooManyReflections || text == kTooManyReflections;
    }
    void beep() override {}
    Answer ask(const std::string&) override { return Answer::No; }
    std::string first;
    bool tooManyReflections = false;
};

// Structures with very many reflections are indexed over shorter ranges of d, down to the d at
// which their reflections fit the calculation's table.
constexpr double kShortestDSteps[] = {kIndexShortestD, 1.2, 2.0, 3.5};

std::unique_ptr<Workspace> calculate_block(const fs::path& file, int block, const fs::path& data, std::string& reason)
{
    for (const double shortestD : kShortestDSteps) {
        CollectedMessages messages;
        std::unique_ptr<Workspace> workspace =
            calculate_structure_block(file, block, index_experiment(shortestD), data, messages);
        if (workspace)
            return workspace;
        reason = messages.first.empty() ? "the calculation stopped" : messages.first;
        if (!messages.tooManyReflections)
            break;
    }
    return nullptr;
}

// Commits after this many files or this long, whichever comes first.
constexpr std::size_t kFilesPerTransaction = 256;
constexpr auto kTransactionTime = std::chrono::seconds(2);

class IndexWriter {
public:
    IndexWriter(LibraryIndex& index, const IndexRunSettings& settings, std::size_t total)
        : index_(index), settings_(settings), total_(total)
    {
        index_.begin();
    }
    void put(const fs::path& file, const FileStamp& stamp, const std::vector<LibraryEntry>& entries,
             const std::string& reason)
    {
        std::lock_guard lock(mutex_);
        index_.put_file(file.string(), stamp, entries, reason);
        ++done_;
        if (++pending_ >= kFilesPerTransaction || std::chrono::steady_clock::now() - opened_ > kTransactionTime) {
            index_.commit();
            index_.begin();
            pending_ = 0;
            opened_ = std::chrono::steady_clock::now();
        }
        if (settings_.progress)
            settings_.progress(done_, total_);
    }
    void finish() { index_.commit(); }

private:
    std::mutex mutex_;
    LibraryIndex& index_;
    const IndexRunSettings& settings_;
    std::size_t total_;
    std::size_t done_ = 0, pending_ = 0;
    std::chrono::steady_clock::time_point opened_ = std::chrono::steady_clock::now();
};

}  // namespace

std::vector<fs::path> library_files(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    const auto options = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(folder, options, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file(error) && structure_format_of(it->path().string()) != 0)
            files.push_back(fs::absolute(it->path()).lexically_normal());
    std::sort(files.begin(), files.end());
    return files;
}

fs::path default_index_file(const fs::path& folder)
{
    return folder / "kalidos-index.sqlite";
}

std::vector<LibraryEntry> index_structure_file(const fs::path& file, const fs::path& data, std::string& reason)
{
    CollectedMessages counting;
    const std::vector<std::string> blocks = structure_blocks(file, counting);
    if (blocks.empty()) {
        reason = counting.first.empty() ? "no structure in the file" : counting.first;
        return {};
    }
    std::vector<LibraryEntry> entries;
    std::string blockReason;
    for (int block = 1; block <= static_cast<int>(blocks.size()); ++block) {
        try {
            const std::unique_ptr<Workspace> workspace = calculate_block(file, block, data, blockReason);
            LibraryEntry entry;
            if (!workspace || !library_entry_of(*workspace, entry, blockReason))
                continue;
            entry.file = file.string();
            entry.block = block;
            entry.blockName = blocks[static_cast<std::size_t>(block - 1)];
            entries.push_back(std::move(entry));
        } catch (const std::exception& error) {
            blockReason = error.what();
        }
    }
    if (entries.empty())
        reason = blockReason;
    return entries;
}

IndexRunReport index_files(const std::vector<fs::path>& files, LibraryIndex& index, const fs::path& data,
                           const IndexRunSettings& settings)
{
    IndexRunReport report;
    report.files = files.size();
    std::map<std::string, FileStamp> known = index.stamps();
    std::vector<std::pair<fs::path, FileStamp>> todo;
    for (const fs::path& file : files) {
        const FileStamp stamp = stamp_of(file);
        const auto found = known.find(file.string());
        if (settings.rebuild || found == known.end() || !(found->second == stamp))
            todo.emplace_back(file, stamp);
        if (found != known.end())
            known.erase(found);
    }
    report.unchanged = files.size() - todo.size();
    report.calculated = todo.size();
    IndexWriter writer(index, settings, todo.size());
    for (const auto& [gone, stamp] : known)
        index.remove_file(gone);
    report.removed = known.size();
    const int jobs = std::max(1, std::min(settings.jobs, static_cast<int>(todo.size())));
    const int computationThreads = computation_threads();
    if (jobs > 1)
        set_computation_threads(1);  // the files share the cores, each on one
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stopped{false};
    std::mutex failureMutex;
    std::exception_ptr failure;
    const auto work = [&] {
        for (std::size_t i = next++; i < todo.size() && !stopped; i = next++) {
            std::string reason;
            const std::vector<LibraryEntry> entries = index_structure_file(todo[i].first, data, reason);
            try {
                writer.put(todo[i].first, todo[i].second, entries, reason);
            } catch (const IndexError&) {
                std::lock_guard lock(failureMutex);
                failure = std::current_exception();
                stopped = true;
            }
        }
    };
    std::vector<std::jthread> workers;
    for (int t = 0; t < jobs; ++t)
        workers.emplace_back(work);
    workers.clear();
    set_computation_threads(computationThreads);
    if (failure)
        std::rethrow_exception(failure);
    writer.finish();
    report.structures = index.entry_count();
    report.refused = index.refused_files();
    return report;
}

}  // namespace kalidos
