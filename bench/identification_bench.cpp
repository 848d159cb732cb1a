// Identification over a library of 10 000 structures: the real CIFs (or the examples) copied with
// their cells scaled so that every copy is a structure of its own. Indexing them (2 files at once),
// the search of the round-robin mixture diagram in the index (reading the index, the peaks, every
// entry scored and ranked) and the whole identification with its fits; peak memory as a counter.
// The library and its index are kept in the temporary folder between runs.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "diagram_files/diagram_import.hpp"
#include "identification/identification.hpp"
#include "identification/index_run.hpp"

namespace kalidos {
namespace {

namespace fs = std::filesystem;

constexpr int kLibrarySize = 10000;

// The CIF with each _cell_length_ multiplied by `factor` (an uncertainty in brackets dropped).
std::string scaled_cif(const std::string& text, double factor)
{
    std::istringstream in(text);
    std::ostringstream out;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string tag, value;
        if (words >> tag >> value && tag.rfind("_cell_length_", 0) == 0) {
            out << tag << ' ' << std::setprecision(8) << std::stod(value) * factor << '\n';
            continue;
        }
        out << line << '\n';
    }
    return out.str();
}

const fs::path& library()
{
    static const fs::path folder = [] {
        const fs::path made = fs::temp_directory_path() / "kalidos-bench-library";
        if (fs::exists(made / "complete"))
            return made;
        fs::remove_all(made);
        fs::create_directories(made);
        std::vector<fs::path> sources = library_files(fs::path(KALIDOS_REALDATA_DIR) / "cif");
        for (const fs::path& example : library_files(KALIDOS_EXAMPLES_DIR))
            if (example.extension() == ".cif")
                sources.push_back(example);
        std::vector<std::string> texts;
        for (const fs::path& source : sources) {
            std::ostringstream text;
            text << std::ifstream(source).rdbuf();
            texts.push_back(text.str());
        }
        for (int i = 0; i < kLibrarySize; ++i) {
            const std::size_t s = static_cast<std::size_t>(i) % texts.size();
            const double factor = 1 + 0.0004 * static_cast<double>(static_cast<std::size_t>(i) / texts.size());
            std::ofstream(made / ("s" + std::to_string(i) + "_" + sources[s].filename().string()))
                << scaled_cif(texts[s], factor);
        }
        std::ofstream(made / "complete");
        return made;
    }();
    return folder;
}

fs::path index_file()
{
    return library() / "kalidos-index.sqlite";
}

void build_index(const fs::path& file, benchmark::State* state)
{
    std::string error;
    auto index = LibraryIndex::open(file, error);
    IndexRunSettings settings;
    settings.jobs = 2;
    const IndexRunReport report = index_files(library_files(library()), *index, KALIDOS_DATA_DIR, settings);
    if (state)
        state->counters["structures"] = static_cast<double>(report.structures);
}

void BM_IndexTenThousandStructures(benchmark::State& state)
{
    library();
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(index_file());
        state.ResumeTiming();
        build_index(index_file(), &state);
    }
}

struct Diagram {
    MeasuredScan scan;
    MeasuredWavelengths wavelengths;
};

class NoMessages : public Messages {
    void warning(const std::string&) override {}
    void beep() override {}
    Answer ask(const std::string&) override { return Answer::No; }
};

Diagram round_robin_mixture()
{
    auto workspace = make_workspace("");
    NoMessages messages;
    lit_diagramme(*workspace, messages, static_cast<int>(DiagramKind::Philips),
                  (fs::path(KALIDOS_REALDATA_DIR) / "rd" / "qarr_CPD-1A.RD").string());
    const ObservedSlot& slot = workspace->observed.slots[1];
    return {slot.measured->scans.front(), slot.measured->wavelengths};
}

double peak_rss_megabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

// The entries of the benchmark's index (built before the timing by the caller); the read is part of a search.
std::vector<LibraryEntry> indexed_entries()
{
    std::string error;
    return LibraryIndex::open(index_file(), error)->entries();
}

// The index read, the peaks found, every entry scored and ranked.
void BM_SearchTenThousandEntries(benchmark::State& state)
{
    if (!fs::exists(index_file()))
        build_index(index_file(), nullptr);
    const Diagram diagram = round_robin_mixture();
    for (auto _ : state) {
        const std::vector<LibraryEntry> entries = indexed_entries();
        const PeakSearch search = find_peaks(diagram.scan, {kDefaultSensitivity, diagram.wavelengths});
        const auto ranked = rank_candidates(entries, match_context(search, diagram.wavelengths.lambda1), {}, 20);
        benchmark::DoNotOptimize(ranked.data());
        state.counters["entries"] = static_cast<double>(entries.size());
    }
    state.counters["peak_rss_MB"] = peak_rss_megabytes();
}

// The same and the whole-diagram fits of the best candidates, round after round.
void BM_IdentifyWithFits(benchmark::State& state)
{
    if (!fs::exists(index_file()))
        build_index(index_file(), nullptr);
    const Diagram diagram = round_robin_mixture();
    for (auto _ : state) {
        const std::vector<LibraryEntry> entries = indexed_entries();
        const Identification found = identify_phases(diagram.scan, diagram.wavelengths, entries, {}, KALIDOS_DATA_DIR);
        state.counters["phases"] = static_cast<double>(found.phases.size());
    }
    state.counters["peak_rss_MB"] = peak_rss_megabytes();
}

BENCHMARK(BM_IndexTenThousandStructures)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_SearchTenThousandEntries)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_IdentifyWithFits)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace kalidos
