// Reading measured diagrams: an XRDML file of 100 000 points written here (schema 2.x counts with
// per-point attenuation factors, the heavier of the two forms), and the largest real XRDML file
// when the real files are at hand.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "diagram_files/measured_readers.hpp"

namespace kalidos {
namespace {

std::string written_xrdml(std::size_t points)
{
    std::ostringstream counts, factors;
    for (std::size_t i = 0; i < points; ++i) {
        counts << (1000 + (i * 7919) % 50000) << ' ';
        factors << (i % 1000 == 0 ? "12.50 " : "1.00 ");
    }
    return "<xrdMeasurements xmlns=\"http://www.xrdml.com/XRDMeasurement/2.1\"><xrdMeasurement>"
           "<usedWavelength><kAlpha1 unit=\"Angstrom\">1.5405980</kAlpha1><kAlpha2 unit=\"Angstrom\">"
           "1.5444260</kAlpha2><ratioKAlpha2KAlpha1>0.5000</ratioKAlpha2KAlpha1></usedWavelength>"
           "<scan scanAxis=\"Gonio\"><dataPoints><positions axis=\"2Theta\" unit=\"deg\">"
           "<startPosition>5.00000000</startPosition><endPosition>125.00000000</endPosition></positions>"
           "<beamAttenuationFactors>" + factors.str() + "</beamAttenuationFactors>"
           "<commonCountingTime unit=\"seconds\">50.165</commonCountingTime><counts unit=\"counts\">" +
           counts.str() + "</counts></dataPoints></scan></xrdMeasurement></xrdMeasurements>";
}

void read_bytes(benchmark::State& state, const std::string& bytes)
{
    for (auto _ : state) {
        MeasuredDiagram diagram;
        std::string error;
        if (!read_xrdml(bytes, diagram, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(diagram.scans.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_ReadXrdml100000Points(benchmark::State& state) { read_bytes(state, written_xrdml(100'000)); }
BENCHMARK(BM_ReadXrdml100000Points)->Unit(benchmark::kMillisecond);

// 101 scans of 255 points with their 2θ lists (596 kB).
void BM_ReadXrdmlRealAreaMeasurement(benchmark::State& state)
{
    const std::filesystem::path path = std::filesystem::path(KALIDOS_REALDATA_DIR) / "modern" / "xrdml" /
                                       "fairmat_m82762_mesh_101scans.xrdml";
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        state.SkipWithError("the real files are not at hand");
        return;
    }
    std::stringstream bytes;
    bytes << in.rdbuf();
    read_bytes(state, bytes.str());
}
BENCHMARK(BM_ReadXrdmlRealAreaMeasurement)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalidos
