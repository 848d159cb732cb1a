// The worst case the tables allow: 400 atoms on general positions of a 192-operator group,
// a range of more than 9000 reflections, four wavelengths, X-rays and neutrons.
#include <benchmark/benchmark.h>
#include <gemmi/symmetry.hpp>

#include <filesystem>
#include <random>

#include "computation/calculation_driver.hpp"
#include "computation/parallel_for.hpp"
#include "computation/profile.hpp"
#include "computation/reflection_generation.hpp"
#include "computation/scattering.hpp"
#include "computation/site_multiplicity.hpp"
#include "computation/structure_factor.hpp"
#include "model/workspace.hpp"

namespace kalidos {
namespace {

// F m -3 m: 48 representative operators, then their copies for the three centring vectors.
void set_fm3m(StructureModel& m)
{
    const gemmi::GroupOps ops = gemmi::find_spacegroup_by_name("F m -3 m")->operations();
    for (const auto& centring : ops.cen_ops)
        for (const auto& op : ops.sym_ops) {
            SymmetryOperator& s = m.operators[++m.operatorCount];
            for (int i = 0; i < 3; ++i) {
                for (int j = 0; j < 3; ++j)
                    s.m[i][j] = op.rot[i][j] / 24.0;
                s.m[i][3] = ((op.tran[i] + centring[i]) % 24) / 24.0;
            }
            m.operatorTexts[m.operatorCount] = op.add_centering(centring).triplet();
        }
    m.centringCount = 3;
    m.centrosymmetric = true;
    m.spaceGroupSymbol = "F m -3 m";
    m.crystalSystem = "CUBI";
    m.latticeLetter = "F";
}

std::unique_ptr<Workspace> worst_case(int radiation, bool anisotropic = false)
{
    const auto dir = std::filesystem::temp_directory_path() / "kalidos-bench";
    std::filesystem::create_directories(dir);
    auto ws = make_workspace(dir.string());
    StructureModel& m = ws->model;
    set_fm3m(m);
    m.cell.a = m.cell.b = m.cell.c = 58.5;
    m.cell.alpha = m.cell.beta = m.cell.gamma = 90;
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const char* symbols[] = {"FE", "O", "SI", "MG"};
    SilentMessages messages;
    m.atomCount = kMaxAtoms;
    for (int n = 1; n <= m.atomCount; ++n) {
        m.atomSymbol[n] = symbols[n % 4];
        m.atomLabel[n] = std::to_string(n % 100);
        m.atomX[n] = unit(random);
        m.atomY[n] = unit(random);
        m.atomZ[n] = unit(random);
        m.atomB[n] = 0.3 + unit(random);
        m.atomPopulation[n] = 1;
        if (anisotropic) {  // a general tensor: every component set, positive definite
            AnisotropicDisplacement& t = m.atomAnisotropic[n];
            t.present = true;
            const double diagonal = 0.005 + 0.01 * unit(random);
            t.u[0] = t.u[1] = t.u[2] = diagonal;
            for (int i = 3; i < 6; ++i)
                t.u[i] = 0.4 * diagonal * (unit(random) - 0.5);
        }
        const int nucleus = find_nucleus(symbols[n % 4], messages);
        m.atomFermiLength[n] = neutron_scattering_table()[static_cast<std::size_t>(nucleus - 1)].fermiLength;
    }
    rebuild_element_table(m, messages);
    load_element_scattering_data(m, nullptr, messages);
    const double lambdas[] = {1.5406, 1.5444, 1.5418, 1.5480};
    m.wavelengths.count = 4;
    for (int w = 1; w <= 4; ++w) {
        m.wavelengths.values[w] = lambdas[w - 1];
        m.wavelengths.weights[w] = 100.0 / w;
    }
    m.wavelengths.shortest = 1.5406;
    m.wavelengths.longest = 1.5480;
    m.radiation = radiation;
    m.twoTheta1 = 5;
    m.twoTheta2 = 150;
    return ws;
}

void run_recalcule(benchmark::State& state, int radiation, bool anisotropic = false)
{
    set_computation_threads(static_cast<int>(state.range(0)));
    auto ws = worst_case(radiation, anisotropic);
    RecordingCalculationHost host;
    SilentMessages messages;
    for (auto _ : state) {
        recalcule(*ws, host, messages);
        if (!messages.last.empty())
            state.SkipWithError(messages.last.c_str());
    }
    state.counters["reflections"] = ws->results.reflections.count;
    state.counters["merged"] = ws->results.merged.count;
    set_computation_threads(0);
}

void BM_RecalculeXrayFourWavelengths(benchmark::State& state) { run_recalcule(state, kXrays); }
void BM_RecalculeNeutronsFourWavelengths(benchmark::State& state) { run_recalcule(state, kNeutrons); }
BENCHMARK(BM_RecalculeXrayFourWavelengths)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RecalculeNeutronsFourWavelengths)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same X-ray case with every atom anisotropic: one exp(-mᵀβm) per atom and rotation pair.
void BM_RecalculeXrayFourWavelengthsAnisotropic(benchmark::State& state) { run_recalcule(state, kXrays, true); }
BENCHMARK(BM_RecalculeXrayFourWavelengthsAnisotropic)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The structure factors summed literally, atom by atom and operator by operator, for the first
// 100 reflections of one pass: the baseline of the engine (scale by reflections × wavelengths).
void BM_DirectStructureFactorsPer100Reflections(benchmark::State& state)
{
    auto ws = worst_case(kXrays);
    StructureModel& m = ws->model;
    SilentMessages messages;
    compute_site_multiplicities(m, ws->results);
    m.enteredTwoTheta1 = 5;
    m.enteredTwoTheta2 = 150;
    m.wavelengths.current = 1.5406;
    generate_reflections(m, ws->results.reflections, messages);
    const double k = ws->results.structureFactorScale;
    for (auto _ : state)
        for (int i = 1; i <= 100; ++i) {
            const Reflection& r = ws->results.reflections[i];
            benchmark::DoNotOptimize(xray_structure_factor(m, 1, k, r.h, r.k, r.l, 1 / (2 * r.d)));
        }
    state.counters["reflections"] = ws->results.reflections.count;
}
BENCHMARK(BM_DirectStructureFactorsPer100Reflections)->Unit(benchmark::kMillisecond);

void BM_GenerateReflections(benchmark::State& state)
{
    auto ws = worst_case(kXrays);
    StructureModel& m = ws->model;
    SilentMessages messages;
    m.enteredTwoTheta1 = 5;
    m.enteredTwoTheta2 = 150;
    m.wavelengths.current = 1.5406;
    for (auto _ : state)
        generate_reflections(m, ws->results.reflections, messages);
    state.counters["reflections"] = ws->results.reflections.count;
}
BENCHMARK(BM_GenerateReflections)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalidos

BENCHMARK_MAIN();
