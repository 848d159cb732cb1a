#include "refinement/cell_phase.hpp"

#include <algorithm>
#include <cmath>
#include <memory>

#include "computation/cell_metric.hpp"
#include "symmetry/space_group_lookup.hpp"
#include "ui/messages.hpp"

namespace kalidos {
namespace {

// The systems whose lists are searched for the group, in this order: a symbol found in the
// triclinic or monoclinic lists is not looked for in the others.
constexpr const char* kSystems[] = {"TRIC", "MONO", "ORTH", "TETR", "HEXA", "RHOM", "CUBI"};

// A short fit has what it needs in a few cycles per stage: its Rwp ranks cells, not a final value.
constexpr int kShortCycles = 6;
constexpr int kShortBackground = 6;

// The crystal system the cell's metric has (lengths equal within 1e-4, angles within 1e-3°).
std::string system_of(const CellParameters& c)
{
    const auto same = [](double x, double y) { return std::fabs(x - y) <= 1e-4 * std::max(x, y); };
    const auto right = [](double angle) { return std::fabs(angle - 90) < 1e-3; };
    const bool rightAngles = right(c.alpha) && right(c.beta) && right(c.gamma);
    if (rightAngles && same(c.a, c.b) && same(c.b, c.c))
        return "CUBI";
    if (right(c.alpha) && right(c.beta) && std::fabs(c.gamma - 120) < 1e-3 && same(c.a, c.b))
        return "HEXA";
    if (same(c.a, c.b) && same(c.b, c.c) && same(c.alpha, c.beta) && same(c.beta, c.gamma))
        return "RHOM";
    if (rightAngles)
        return same(c.a, c.b) ? "TETR" : "ORTH";
    return int(right(c.alpha)) + int(right(c.beta)) + int(right(c.gamma)) == 2 ? "MONO" : "TRIC";
}

// The group applied to `model` from the lists of its system: as written, or without blanks (the
// standard lists write "R-3c"); else by the interpreter, the system the cell's.
bool apply_group(StructureModel& model, const std::string& symbol, const CellParameters& cell,
                 const std::filesystem::path& dataDirectory)
{
    const std::string compact = [&] {
        std::string text;
        for (const char c : symbol)
            if (c != ' ')
                text += c;
        return text;
    }();
    for (const std::string& written : {symbol, compact})
        for (const char* system : kSystems) {
            model.crystalSystem = system;
            SilentMessages silent;
            if (look_up_and_apply_space_group(model, written, dataDirectory, silent).applied)
                return true;
        }
    model.crystalSystem = system_of(cell);
    SilentMessages silent;
    return selecte_groupe_getspec(model, make_catalogue_row(symbol, "", ""), silent).applied;
}

bool cell_plausible(const CellParameters& c)
{
    const double lengths[] = {c.a, c.b, c.c}, angles[] = {c.alpha, c.beta, c.gamma};
    return std::all_of(std::begin(lengths), std::end(lengths), [](double x) { return x > 0.5 && x < 1000; }) &&
           std::all_of(std::begin(angles), std::end(angles), [](double x) { return x > 10 && x < 170; });
}

}  // namespace

std::string cell_only_phase(const StructureModel& instrument, const CellParameters& cell, const std::string& group,
                            const std::filesystem::path& dataDirectory, StructureModel& out)
{
    if (!cell_plausible(cell))
        return "the cell is not one: lengths from 0.5 to 1000 Å and angles from 10 to 170° are expected";
    if (instrument.wavelengths.count < 1)
        return "no wavelength";
    auto model = std::make_unique<StructureModel>(instrument);
    model->atomCount = 0;
    model->elementCount = 0;
    model->anomalousRecords.reset();
    model->cell = CellParameters{};
    model->cell.a = cell.a, model->cell.b = cell.b, model->cell.c = cell.c;
    model->cell.alpha = cell.alpha, model->cell.beta = cell.beta, model->cell.gamma = cell.gamma;
    const bool inMemory = model->scratchInMemory;
    model->scratchInMemory = true;  // the interpreter's scfs.dat kept in memory, nothing written
    const std::string symbol = group.empty() ? "P 1" : group;
    const bool applied = apply_group(*model, symbol, cell, dataDirectory);
    model->scratchInMemory = inMemory;
    if (!applied)
        return symbol + ": unknown space group";
    compute_cell_metric(*model);
    if (!(model->cell.volume > 0))
        return "the cell has no volume";
    if (model->title.empty() || model->atomCount == 0)
        model->title = "cell " + symbol;
    out = *model;
    return {};
}

LeBailCellFit le_bail_cell_fit(const MeasuredScan& observed, const StructureModel& instrument,
                              const CellParameters& cell, const std::string& group,
                              const std::filesystem::path& dataDirectory, double low, double high)
{
    LeBailCellFit fit;
    auto request = std::make_unique<RefinementRequest>();
    request->phases.push_back({"cell", StructureModel{}, IntensityMethod::LeBail});
    if (!(fit.why = cell_only_phase(instrument, cell, group, dataDirectory, request->phases[0].model)).empty())
        return fit;
    request->observed = observed;
    request->low = low, request->high = high;
    request->backgroundOrder = kShortBackground;
    request->cycles = kShortCycles;
    request->stages = {{"background"}, {"zero", "cell"}, {"profile"}};
    auto result = std::make_unique<RefinementResult>();
    if (!(fit.why = refine(*request, *result)).empty())
        return fit;
    fit.rwp = result->rwp;
    fit.chi2 = result->chi2;
    fit.cell = result->phases.front().refined.cell;
    if (const RefinementParameter* zero = result->find("zero"))
        fit.zero = zero->value;
    return fit;
}

}  // namespace kalidos
