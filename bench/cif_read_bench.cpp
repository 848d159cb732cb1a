// Reading alone: the real CIFs (the repository's examples without them) through the CIF reader,
// file to structure model, without the group look-up and the calculation that follow it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>

#include "readers/open_structure_file.hpp"

namespace kalidos {
namespace {

namespace fs = std::filesystem;

class QuietMessages : public Messages {
public:
    void warning(const std::string&) override { ++warnings; }
    void beep() override {}
    Answer ask(const std::string&) override { return Answer::Cancel; }
    int warnings = 0;
};

std::vector<fs::path> cifs_to_read()
{
    std::vector<fs::path> files;
    const fs::path real = fs::path(KALIDOS_REALDATA_DIR) / "cif";
    const fs::path examples = fs::path(KALIDOS_DATA_DIR).parent_path() / "examples";
    for (const fs::path& folder : {real, examples}) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder, error))
            if (entry.path().extension() == ".cif")
                files.push_back(entry.path());
        if (!files.empty())
            break;
    }
    std::sort(files.begin(), files.end());
    return files;
}

void BM_ReadCifFiles(benchmark::State& state)
{
    const std::vector<fs::path> files = cifs_to_read();
    if (files.empty()) {
        state.SkipWithError("no CIF found");
        return;
    }
    StructureModel model;
    model.scratchInMemory = true;  // no dummy.cif written: the batch runner's way
    QuietMessages messages;
    for (auto _ : state)
        for (const fs::path& file : files)
            benchmark::DoNotOptimize(read_cif_file(model, file, messages, nullptr));
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(files.size()));
}
BENCHMARK(BM_ReadCifFiles)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalidos
