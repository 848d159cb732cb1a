// Finding the cell of a line list: the lines of a known cell at Cu Kα1 (the first of them, lines
// closer than 0.05° seen as one), each moved by up to 0.01°, all by a zero error of 0.03°, with two
// impurity lines among them. A cubic F and a hexagonal cell (20 lines), a 25-line orthorhombic and a
// 25-line monoclinic cell, every system searched as kalidos-batch --find-cell searches them. The
// counter `first` is 1 when the right lattice comes first.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "indexing/cell_fit.hpp"
#include "indexing/cell_indexing.hpp"
#include "indexing/niggli_reduction.hpp"

namespace kalidos {
namespace {

constexpr double kCopperAlpha1 = 1.540593;

struct Case {
    LatticeSystem system;
    char centring;
    UnitCell cell;
    std::size_t lines;
};

IndexingLines lines_of(const Case& c)
{
    const std::vector<CalculatedLine> calculated =
        calculated_lines(c.system, terms_of_cell(c.cell), c.centring, q_of_two_theta(130, kCopperAlpha1));
    std::vector<double> twoTheta;
    for (const CalculatedLine& line : calculated) {
        const double t = two_theta_of_q(line.q, kCopperAlpha1);
        if (twoTheta.empty() || t - twoTheta.back() > 0.05)
            twoTheta.push_back(t);
    }
    twoTheta.resize(std::min(twoTheta.size(), c.lines - 2));
    IndexingLines lines;
    lines.wavelength = kCopperAlpha1;
    for (std::size_t i = 0; i < twoTheta.size(); ++i)
        lines.twoTheta.push_back(twoTheta[i] + 0.03 + 0.005 * static_cast<double>(static_cast<int>(i * 7 % 5) - 2));
    // Two impurity lines, halfway between lines of the cell a third and two thirds into the list.
    for (const std::size_t at : {twoTheta.size() / 3, 2 * twoTheta.size() / 3})
        lines.twoTheta.push_back((twoTheta[at] + twoTheta[at + 1]) / 2 + 0.03);
    std::sort(lines.twoTheta.begin(), lines.twoTheta.end());
    lines.intensity.assign(lines.twoTheta.size(), 100.0);
    return lines;
}

void index_case(benchmark::State& state, const Case& c)
{
    const IndexingLines lines = lines_of(c);
    const UnitCell truth = niggli_reduce(primitive_cell(c.cell, c.centring)).cell;
    bool first = false;
    for (auto _ : state) {
        const IndexingResult found = find_cells(lines, IndexingSettings{});
        first = !found.cells.empty() && same_lattice(found.cells.front().reduced, truth, 0.01);
        benchmark::DoNotOptimize(found.cells.data());
    }
    state.counters["lines"] = static_cast<double>(lines.twoTheta.size());
    state.counters["first"] = first ? 1 : 0;
}

void BM_FindCellCubicF(benchmark::State& state)
{
    index_case(state, {LatticeSystem::Cubic, 'F', {5.4309, 5.4309, 5.4309, 90, 90, 90}, 14});
}
BENCHMARK(BM_FindCellCubicF)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindCellHexagonal(benchmark::State& state)
{
    index_case(state, {LatticeSystem::Hexagonal, 'P', {3.2498, 3.2498, 5.2066, 90, 90, 120}, 20});
}
BENCHMARK(BM_FindCellHexagonal)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindCellOrthorhombic25(benchmark::State& state)
{
    index_case(state, {LatticeSystem::Orthorhombic, 'P', {4.7560, 10.2070, 5.9800, 90, 90, 90}, 25});
}
BENCHMARK(BM_FindCellOrthorhombic25)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FindCellMonoclinic25(benchmark::State& state)
{
    index_case(state, {LatticeSystem::Monoclinic, 'P', {7.1280, 5.6420, 9.3170, 90, 104.52, 90}, 25});
}
BENCHMARK(BM_FindCellMonoclinic25)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kalidos
