#include "anomalous/anomalous_grid.hpp"

#include <algorithm>  // for std::max
#include <cctype>

#include "model/wavelength_set.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {

int anomalous_grid_columns(const WavelengthSet& set)
{
    return set.count >= 3 ? 2 * set.count + 1 : 5;
}

int anomalous_grid_rows(const StructureModel& model)
{
    return std::max(kAnomalousGridRows, model.elementCount + 2);
}

std::string grid_element_symbol(const std::string& elementSymbol)
{
    // The whole symbol, so that an element and its ion (FE, FE3+) stay apart in the grid.
    std::string shown = elementSymbol;
    for (std::size_t i = 1; i < shown.size(); ++i)
        shown[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(shown[i])));
    return shown;
}

namespace {

void write_element_column(const StructureModel& model, TextGrid& grid)
{
    for (int e = 1; e <= model.elementCount; ++e)
        grid.set_cell(e + 1, 0, grid_element_symbol(model.elementSymbols[e]));
}

}  // namespace

// Row 0 is emptied too, not only the rows below it: a set that shrank from two wavelengths
// to one would otherwise keep the second wavelength's heading over empty columns.
void show_anomalous(const StructureModel& model, TextGrid& grid)
{
    const WavelengthSet& set = model.wavelengths;
    grid.resize(anomalous_grid_rows(model), anomalous_grid_columns(set));
    grid.clear();
    grid.set_cell(1, 0, kElementHeader);
    for (int w = 1; w <= set.count; ++w) {
        const std::string lambda = fmt_fixed(set.values[w], 7, 4);
        grid.set_cell(0, 2 * w - 1, lambda);
        grid.set_cell(0, 2 * w, lambda);
        grid.set_cell(1, 2 * w - 1, kFPrimeHeader);
        grid.set_cell(1, 2 * w, kFSecondHeader);
    }
    write_element_column(model, grid);
    const int wavelengths = anomalous_wavelength_count(set);
    for (int e = 1; e <= model.elementCount; ++e) {
        for (int w = 1; w <= wavelengths; ++w) {
            grid.set_cell(e + 1, 2 * w - 1, fmt_fixed(model.fPrime[w][e], 6, 3));
            grid.set_cell(e + 1, 2 * w, fmt_fixed(model.fSecond[w][e], 6, 3));
        }
    }
}

void show_anomalous(Workspace& workspace)
{
    show_anomalous(workspace.model, workspace.anomalousGrid);
}

void clear_anomalous_grid(const StructureModel& model, TextGrid& grid)
{
    grid.resize(anomalous_grid_rows(model), grid.columns());
    grid.clear();
    write_element_column(model, grid);
}

void clear_anomalous_grid(Workspace& workspace)
{
    clear_anomalous_grid(workspace.model, workspace.anomalousGrid);
}

void erase_anomalous_factors(Workspace& workspace)
{
    zero_anomalous_factors(workspace.model);
    show_anomalous(workspace);
}

}  // namespace kalidos
