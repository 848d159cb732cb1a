// Reading a plain-column diagram of one million points written here (2θ, intensity and σ per
// row, as a .xye export prints them), recognised and read as read_measured_file does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "diagram_files/measured_readers.hpp"

namespace kalidos {
namespace {

std::string written_xye(std::size_t points)
{
    std::string text = "# 2theta intensity sigma\n";
    text.reserve(points * 40);
    char row[96];
    for (std::size_t i = 0; i < points; ++i) {
        const double twoTheta = 5 + 0.0001 * static_cast<double>(i);
        const double counts = 1000 + static_cast<double>((i * 7919) % 50000) * 0.37;
        const int length = std::snprintf(row, sizeof row, "%.5f %.3f %.4f\n", twoTheta, counts, std::sqrt(counts));
        text.append(row, static_cast<std::size_t>(length));
    }
    return text;
}

void BM_ReadXyeOneMillionPoints(benchmark::State& state)
{
    const std::string bytes = written_xye(1'000'000);
    for (auto _ : state) {
        MeasuredDiagram diagram;
        std::string error;
        if (detect_measured_format(bytes, "written.xye") != "xy" || !read_xy_text(bytes, diagram, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(diagram.scans[0].intensity.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadXyeOneMillionPoints)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalidos
