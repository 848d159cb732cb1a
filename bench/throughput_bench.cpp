// Structures per second over a fixed set of CIFs: the real ones when they are there, else the
// repository's examples. In one process as kalidos-batch FILE... -j N runs them (each structure
// in its own workspace in memory, N at a time, JSON Lines written), against one kalidos-batch
// process per file, the way many structures had to be calculated before.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "batch_many.hpp"

extern char** environ;

namespace kalidos {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> cifs_in(const fs::path& folder)
{
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == ".cif")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

const std::vector<std::string>& throughput_cifs()
{
    static const std::vector<std::string> files = [] {
        std::vector<std::string> real = cifs_in(fs::path(KALIDOS_REALDATA_DIR) / "cif");
        return real.empty() ? cifs_in(KALIDOS_EXAMPLES_DIR) : real;
    }();
    return files;
}

// The settings of bench/throughput.py: CuKa1, 2θ from 10° to 50°, JSON Lines to a file.
batch::BatchOptions throughput_options(int jobs)
{
    batch::BatchOptions options;
    options.structureFiles = throughput_cifs();
    options.structureFile = options.structureFiles.front();
    options.jobs = jobs;
    options.anode = "CuKa1";
    options.twoTheta1 = 10;
    options.twoTheta2 = 50;
    options.jsonFile = "/dev/null";
    return options;
}

void BM_ThroughputInOneProcess(benchmark::State& state)
{
    const batch::BatchOptions options = throughput_options(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ostringstream notes, standardOutput;
        batch::StreamMessages messages(notes, false);
        benchmark::DoNotOptimize(batch::run_many(options, KALIDOS_DATA_DIR, messages, standardOutput));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(options.structureFiles.size()));
    state.SetLabel(std::to_string(options.structureFiles.size()) + " CIFs, structures per second = items_per_second");
}
BENCHMARK(BM_ThroughputInOneProcess)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline: kalidos-batch started once per file, one after the other, output discarded.
bool run_one_process(const std::string& cif)
{
    const std::vector<std::string> arguments = {KALIDOS_BATCH_EXECUTABLE, "--anode", "CuKa1", "--range", "10", "50",
                                                "--json", "/dev/null", cif};
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const fs::path listings = fs::temp_directory_path() / "kalidos_throughput_bench";
    fs::create_directories(listings);
    posix_spawn_file_actions_addchdir_np(&actions, listings.c_str());  // its listings land there
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && waitpid(child, &status, 0) == child;
}

void BM_ThroughputOneProcessPerFile(benchmark::State& state)
{
    const std::vector<std::string>& files = throughput_cifs();
    for (auto _ : state)
        for (const std::string& file : files)
            if (!run_one_process(file))
                state.SkipWithError("kalidos-batch could not be started");
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(files.size()));
    state.SetLabel(std::to_string(files.size()) + " CIFs, structures per second = items_per_second");
}
BENCHMARK(BM_ThroughputOneProcessPerFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace kalidos
