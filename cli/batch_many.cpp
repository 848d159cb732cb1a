#include "batch_many.hpp"

#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "batch_calculation.hpp"
#include "batch_compare.hpp"
#include "computation/parallel_for.hpp"
#include "result_json.hpp"

namespace kalidos::batch {
namespace {

namespace fs = std::filesystem;

bool write_text(const fs::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

bool write_listings(const fs::path& directory, const Workspace& workspace)
{
    std::error_code error;
    fs::create_directories(directory, error);
    return write_text(directory / "fstr2.out", workspace.detailedListing) &&
           write_text(directory / "fstr.out", workspace.briefListing);
}

// Records come from the workers in any order and go out in input order, written by the worker
// that completes the next one due: a record waits only for those before it, and its memory goes
// back to the thread that allocates the next one (no thread of its own waking for each record).
class InOrderWriter {
public:
    using Write = std::function<void(std::size_t index, const StructureRecord& record)>;
    InOrderWriter(std::size_t count, Write write) : waiting_(count), write_(std::move(write)) {}
    void put(std::size_t index, StructureRecord record)
    {
        std::lock_guard lock(mutex_);
        waiting_[index] = std::move(record);
        for (; next_ < waiting_.size() && waiting_[next_].has_value(); ++next_) {
            write_(next_, *waiting_[next_]);
            waiting_[next_].reset();
        }
    }

private:
    std::mutex mutex_;
    std::vector<std::optional<StructureRecord>> waiting_;
    std::size_t next_ = 0;
    Write write_;
};

struct Outputs {
    std::ostream* lines = nullptr;  // JSON Lines
    std::ofstream linesFile;
    fs::path outDirectory;
    fs::path listingsDirectory;
};

bool open_outputs(const BatchOptions& options, Outputs& outputs, StreamMessages& messages, std::ostream& standardOutput)
{
    std::error_code error;
    for (const std::string& folder : {options.outDirectory, options.listingsDirectory}) {
        if (folder.empty())
            continue;
        fs::create_directories(folder, error);
        if (!fs::is_directory(folder)) {
            messages.note("Cannot use the folder " + folder);
            return false;
        }
    }
    outputs.outDirectory = options.outDirectory;
    outputs.listingsDirectory = options.listingsDirectory;
    if (options.jsonFile == "-") {
        outputs.lines = &standardOutput;
    } else if (!options.jsonFile.empty()) {
        outputs.linesFile.open(options.jsonFile, std::ios::binary | std::ios::trunc);
        if (!outputs.linesFile) {
            messages.note("Cannot write " + options.jsonFile);
            return false;
        }
        outputs.lines = &outputs.linesFile;
    }
    return true;
}

// Writes one record where the options say; false when a write failed (told through `messages`).
bool write_record(const StructureRecord& record, const std::string& stem, Outputs& outputs, const BatchOptions& options,
                  StreamMessages& messages)
{
    bool written = true;
    if (outputs.lines != nullptr && !(*outputs.lines << record.line << '\n')) {
        messages.note("Cannot write " + options.jsonFile);
        written = false;
    }
    if (!outputs.outDirectory.empty() && !write_text(outputs.outDirectory / (stem + ".json"), record.document)) {
        messages.note("Cannot write " + (outputs.outDirectory / (stem + ".json")).string());
        written = false;
    }
    return written;
}

}  // namespace

void draw_progress(std::size_t done, std::size_t total)
{
    constexpr std::size_t kWidth = 40;
    const std::size_t filled = total == 0 ? kWidth : done * kWidth / total;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << done << '/'
              << total << std::flush;
}

StructureRecord calculate_record(const BatchOptions& settings, const std::string& file, const fs::path& data,
                                 const fs::path& listings, bool indentedToo)
{
    BatchOptions options = settings;
    options.structureFile = file;
    std::ostringstream ignored;
    StreamMessages messages(ignored, options.overwrite);
    std::unique_ptr<Workspace> workspace = make_memory_workspace();
    workspace->listingsWanted = !listings.empty();
    StructureRecord record;
    try {
        record.status = load_and_calculate(*workspace, options, data, messages);
        if (record.status == kExitSuccess && options.compare && !compare_with_observed(*workspace, options, messages))
            record.status = kExitRefused;
        if (!listings.empty() && !write_listings(listings, *workspace)) {
            messages.note("Cannot write the listings in " + listings.string());
            record.status = kExitRefused;
        }
    } catch (const std::exception& error) {
        messages.note(error.what());
        record.status = kExitRefused;
    }
    // Records run to tens of kilobytes: room for most at once rather than growing a step at a time.
    constexpr std::size_t kTypicalRecordBytes = std::size_t{1} << 17;
    record.line.reserve(kTypicalRecordBytes);
    write_result_record(record.line, JsonLayout::OneLine, file, record.status, *workspace, messages.texts(),
                        json_contents(options));
    if (indentedToo)
        write_result_record(record.document, JsonLayout::Indented, file, record.status, *workspace, messages.texts(),
                            json_contents(options));
    record.messages = messages.texts();
    return record;
}

std::vector<std::string> output_stems(const std::vector<std::string>& files)
{
    std::map<std::string, int> seen;
    std::vector<std::string> stems;
    for (const std::string& file : files) {
        const std::string stem = fs::path(file).stem().string();
        const int count = ++seen[stem];
        stems.push_back(count == 1 ? stem : stem + "_" + std::to_string(count));
    }
    return stems;
}

std::optional<std::vector<std::string>> structure_file_list(const BatchOptions& options, StreamMessages& messages)
{
    std::vector<std::string> files = options.structureFiles;
    if (options.listFile.empty())
        return files;
    std::ifstream in(options.listFile);
    if (!in) {
        messages.note("Cannot open " + options.listFile);
        return std::nullopt;
    }
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t first = line.find_first_not_of(" \t\r");
        const std::size_t last = line.find_last_not_of(" \t\r");
        if (first != std::string::npos)
            files.push_back(line.substr(first, last - first + 1));
    }
    return files;
}

int run_many(const BatchOptions& options, const fs::path& dataDirectory, StreamMessages& messages,
             std::ostream& standardOutput)
{
    const std::optional<std::vector<std::string>> files = structure_file_list(options, messages);
    Outputs outputs;
    if (!files || !open_outputs(options, outputs, messages, standardOutput))
        return kExitRefused;
    const std::vector<std::string> stems = output_stems(*files);
    const std::size_t total = files->size();
    // Each structure's workspace holds megabytes of tables: kept by the allocator from one
    // structure to the next rather than handed back to the system and faulted in again.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest the allocator accepts
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    const int jobs = std::max(1, std::min(options.jobs, static_cast<int>(total)));
    const int computationThreads = computation_threads();
    if (jobs > 1)
        set_computation_threads(1);  // the structures share the cores, each on one
    const bool progress = isatty(STDERR_FILENO) != 0;
    int status = kExitSuccess;
    InOrderWriter writer(total, [&](std::size_t i, const StructureRecord& record) {
        if (progress)
            std::cerr << "\r\033[K";
        for (const std::string& text : record.messages)
            messages.note((*files)[i] + ": " + text);
        if (record.status != kExitSuccess)
            status = kExitRefused;
        if (!write_record(record, stems[i], outputs, options, messages))
            status = kExitRefused;
        if (progress)
            draw_progress(i + 1, total);
    });
    std::atomic<std::size_t> next{0};
    std::atomic<int> finishedWorkers{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < total; i = next++) {
            const fs::path listings = outputs.listingsDirectory.empty() ? fs::path() : outputs.listingsDirectory / stems[i];
            writer.put(i, calculate_record(options, (*files)[i], dataDirectory, listings, !outputs.outDirectory.empty()));
        }
        // Nothing left to start: the cores of the finished workers go to the loops of the structures
        // still under way (one large structure last would otherwise keep the others waiting on one
        // core). The results do not depend on the number of threads.
        if (jobs > 1)
            set_computation_threads(std::min(jobs, 1 + ++finishedWorkers));
    };
    std::vector<std::jthread> workers;
    for (int t = 0; t < jobs; ++t)
        workers.emplace_back(work);
    workers.clear();  // joined: every record is written
    if (progress)
        std::cerr << '\n';  // after the bar
    set_computation_threads(computationThreads);
    return status;
}

}  // namespace kalidos::batch
