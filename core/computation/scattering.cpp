#include "computation/scattering.hpp"

#include "computation/atom_symbol_keys.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <unordered_map>

namespace kalidos {
namespace {

// A grid cell as f' or f'': an empty or unreadable cell gives 0, as it always has.
double cell_value(const TextGrid& grid, int row, int column)
{
    const std::string text = grid.cell(row, column);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end == text.c_str() || !std::isfinite(value) ? 0.0 : value;
}

void copy_coefficients(const XrayScatteringRow& row, CromerCoefficients& coefficients)
{
    coefficients.a[1] = row.a1;
    coefficients.a[2] = row.a2;
    coefficients.a[3] = row.a3;
    coefficients.a[4] = row.a4;
    coefficients.b[1] = row.b1;
    coefficients.b[2] = row.b2;
    coefficients.b[3] = row.b3;
    coefficients.b[4] = row.b4;
    coefficients.c = row.c;
}

// The 1-based row of each name of a table, trimmed and upper-cased, the first row of a name
// winning (H finds H, not H. or H1-). Built once per process: every atom of every structure is
// looked up, and comparing with each row's name made again took a twentieth of a small run.
template <class Row, std::size_t N, class Name>
std::unordered_map<std::string, int> row_index(const std::array<Row, N>& table, Name name)
{
    std::unordered_map<std::string, int> rows;
    for (std::size_t i = 0; i < N; ++i)
        rows.emplace(trimmed_upper(name(table[i])), static_cast<int>(i) + 1);  // keeps the first
    return rows;
}

int row_of(const std::unordered_map<std::string, int>& rows, const std::string& key)
{
    const auto found = rows.find(key);
    return found == rows.end() ? 0 : found->second;
}

}  // namespace

int find_xray_row(const std::string& key)
{
    static const std::unordered_map<std::string, int> rows =
        row_index(xray_scattering_table(), [](const XrayScatteringRow& row) { return std::string(row.symbol); });
    return row_of(rows, key);
}

int find_nucleus(const std::string& atomSymbol, Messages& messages)
{
    static const std::unordered_map<std::string, int> rows =
        row_index(neutron_scattering_table(), [](const NeutronScatteringRow& row) { return std::string(row.name); });
    const std::string key = nucleus_key(atomSymbol);
    const int row = row_of(rows, key);
    if (row == 0)
        beep_and_warn(messages, "Nucleus " + key + " not found!");
    return row;
}

bool rebuild_element_table(StructureModel& model, Messages& messages)
{
    model.elementCount = 0;
    for (int n = 1; n <= model.atomCount; ++n) {
        const std::string key = xray_key(model.atomSymbol[n]);
        int row = 1;
        while (row <= model.elementCount && model.elementSymbols[row] != key)
            ++row;
        if (row > model.elementCount) {
            if (model.elementCount == kMaxElements) {
                beep_and_warn(messages, "Too many different elements (at most 20): " + key);
                return false;
            }
            model.elementSymbols[++model.elementCount] = key;
        }
        model.atomElementIndex[n] = row;
    }
    return true;
}

void load_element_scattering_data(StructureModel& model, const TextGrid* anomalousGrid, Messages& messages)
{
    const int wavelengths = std::min(model.wavelengths.count, kAnomalousWavelengths);
    for (int e = 1; e <= model.elementCount; ++e) {
        std::string key = trimmed_upper(model.elementSymbols[e]);
        if (key == "D")
            key = "H";  // deuterium scatters X-rays like hydrogen
        const int row = find_xray_row(key);
        if (row == 0) {
            beep_and_warn(messages, "Element " + model.elementSymbols[e] + " not found!");
            return;
        }
        copy_coefficients(xray_scattering_table()[static_cast<std::size_t>(row - 1)], model.cromer[e]);
        if (anomalousGrid == nullptr)
            continue;
        for (int w = 1; w <= wavelengths; ++w) {
            model.fPrime[w][e] = cell_value(*anomalousGrid, e + 1, 2 * w - 1);
            model.fSecond[w][e] = cell_value(*anomalousGrid, e + 1, 2 * w);
        }
    }
}

ScatteringFactor atom_scattering_factor(const StructureModel& model, int element, int pass, double s)
{
    const CromerCoefficients& coefficients = model.cromer[element];
    const bool anomalous = pass >= 1 && pass <= kAnomalousWavelengths;
    double f = coefficients.c + (anomalous ? model.fPrime[pass][element] : 0.0);
    const double s2 = s * s;
    for (int i = 1; i <= 4; ++i)
        f += coefficients.a[i] * std::exp(-coefficients.b[i] * s2);
    return {f, anomalous ? model.fSecond[pass][element] : 0.0};
}

}  // namespace kalidos
