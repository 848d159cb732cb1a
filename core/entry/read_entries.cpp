#include "entry/read_entries.hpp"

#include <cmath>

#include "anomalous/anomalous_grid_check.hpp"
#include "computation/atom_symbol_keys.hpp"
#include "computation/scattering.hpp"
#include "entry/atom_entry.hpp"
#include "entry/cell_entry.hpp"
#include "entry/range_entry.hpp"
#include "model/typed_ranges.hpp"
#include "readers/model_number_check.hpp"
#include "util/number_text.hpp"

namespace kalidos {

std::string* field_text(EntryForm& form, int field)
{
    if (field >= 1 && field <= 6)
        return &form.cell[static_cast<std::size_t>(field - 1)];
    switch (field) {
    case 7: return &form.lambda;
    case 8: return &form.lower;
    case 9: return &form.upper;
    case 10: return &form.u;
    case 11: return &form.v;
    case 12: return &form.w;
    default: return nullptr;
    }
}

namespace {

double* cell_value(CellParameters& cell, int field)
{
    double* values[6] = {&cell.a, &cell.b, &cell.c, &cell.alpha, &cell.beta, &cell.gamma};
    return values[field - 1];
}

// The focused field must hold a number; a cell value is stored at once with the copies its
// system asks for.
bool check_focused_field(StructureModel& model, EntryForm& form, Messages& messages)
{
    const int field = model.focusedField;
    const std::string* text = field_text(form, field);
    if (!text)
        return true;
    if (field == 7 && trim(*text) == "Multiple")
        return true;
    const auto value = parse_real(normalise_number(*text));
    if (!value) {
        beep_and_warn(messages, "Typing error!");
        return false;
    }
    if (field > 6)
        return true;
    const std::string typed = *text;
    const std::string& system = model.crystalSystem;
    if (field == 1) {
        if (system == "CUBI" || system == "RHOM")
            form.cell[1] = form.cell[2] = typed;
        else if (system == "TETR" || system == "HEXA")
            form.cell[1] = typed;
    } else if (field == 4 && system == "RHOM") {
        form.cell[4] = form.cell[5] = typed;
    }
    *cell_value(model.cell, field) = to_real48(*value);
    return true;
}

// The field of a cell value beyond a double, after "Typing error!"; 0 when all were read.
int read_cell(StructureModel& model, const EntryForm& form, Messages& messages)
{
    for (int field = 1; field <= 6; ++field) {
        const std::string& text = form.cell[static_cast<std::size_t>(field - 1)];
        if (text.empty())
            continue;
        const auto value = parse_real_prefix(normalise_number(text));
        if (!value) {
            beep_and_warn(messages, "Typing error!");
            return field;
        }
        *cell_value(model.cell, field) = *value;
    }
    return 0;
}

// A negative wavelength, or one beyond a double or kLargestTypedValue, is refused as the
// anomalous-dispersion button refuses an unreadable one.
bool read_wavelength(StructureModel& model, const EntryForm& form, Messages& messages)
{
    const std::string text = trim(form.lambda);
    if (text.empty() || text == "Multiple")
        return true;
    const auto lambda = parse_real_prefix(normalise_number(text));
    if (!lambda || !wavelength_in_range(*lambda)) {
        beep_and_warn(messages, "Error on WaveLength!");
        return false;
    }
    WavelengthSet& set = model.wavelengths;
    model.typedWavelength = *lambda;
    set.values[1] = *lambda;
    set.weights[1] = 1;
    set.shortest = set.longest = *lambda;
    set.count = 1;
    return true;
}

// The field of a U, V or W beyond a double or its range, after "Bad u,v,w values (u out of
// range!)" naming it; 0 when all were read. What was read before stays.
int read_resolution(StructureModel& model, const EntryForm& form, Messages& messages)
{
    struct Field {
        const std::string& text;
        double& value;
        const char* name;
        int field;
    };
    const Field fields[] = {{form.u, model.u, "u", 10}, {form.v, model.v, "v", 11}, {form.w, model.w, "w", 12}};
    for (const Field& f : fields) {
        if (f.text.empty())
            continue;
        const auto value = parse_real_prefix(normalise_number(f.text));
        if (!value || !resolution_in_range(*value)) {
            beep_and_warn(messages, std::string("Bad u,v,w values (") + f.name + " out of range!)");
            return f.field;
        }
        f.value = *value;
    }
    return 0;
}

// True when the element table lists the atoms' elements in order of first appearance.
bool element_table_current(const StructureModel& model)
{
    int count = 0;
    for (int atom = 1; atom <= model.atomCount; ++atom) {
        const int e = model.atomElementIndex[atom];
        if (e < 1 || e > model.elementCount || model.elementSymbols[e] != xray_key(model.atomSymbol[atom]))
            return false;
        if (e == count + 1)
            ++count;
        else if (e > count)
            return false;
    }
    return count == model.elementCount;
}

// Atoms typed since the last rebuild may have changed the elements: their table is rebuilt and
// the f' and f'' of the old elements, which no longer match its rows, are dropped.
const TextGrid* current_element_table(Workspace& workspace, Messages& messages)
{
    StructureModel& model = workspace.model;
    if (element_table_current(model))
        return &workspace.anomalousGrid;
    rebuild_element_table(model, messages);
    model.anomalousRecords.reset();
    for (int w = 1; w <= kAnomalousWavelengths; ++w) {
        model.fPrime[w].fill(0);
        model.fSecond[w].fill(0);
    }
    return nullptr;
}

}  // namespace

EntryReadResult read_limits(Workspace& workspace, const EntryForm& form, Messages& messages)
{
    StructureModel& m = workspace.model;
    const WavelengthSet& set = m.wavelengths;
    if (set.shortest == 0 || set.longest == 0)
        return {true, 0};
    struct Limit {
        const std::string& text;
        double lambda;
        double& twoTheta;
        double& q;
        double& enteredTwoTheta;
        double& enteredQ;
        int field;
    };
    const Limit limits[] = {{form.lower, set.longest, m.twoTheta1, m.q1, m.enteredTwoTheta1, m.enteredQ1, 8},
                            {form.upper, set.shortest, m.twoTheta2, m.q2, m.enteredTwoTheta2, m.enteredQ2, 9}};
    for (const Limit& limit : limits) {
        if (limit.text.empty())
            continue;
        const auto v = parse_real_prefix(normalise_number(limit.text));
        const auto converted = v ? convert_limit(*v, workspace.abscissaMode, limit.lambda) : std::nullopt;
        if (!converted || !two_theta_in_range(converted->twoTheta) || !std::isfinite(converted->q)) {
            beep_and_warn(messages, "Typing error!");
            return {false, limit.field};
        }
        limit.twoTheta = limit.enteredTwoTheta = converted->twoTheta;
        limit.q = limit.enteredQ = converted->q;
    }
    return {true, 0};
}

EntryReadResult read_entries(Workspace& workspace, EntryForm& form, Messages& messages)
{
    StructureModel& model = workspace.model;
    if (!check_focused_field(model, form, messages))
        return {false, model.focusedField};
    model.title = form.title;
    apply_system(form, model);
    if (const int field = read_cell(model, form, messages))
        return {false, field};
    if (!read_atom_rows(form, model, messages))
        return {false, 0};
    // A huge but finite typed value (a cell of 1e300, a population of 1e300) would still
    // overflow the sums: refused here as a file's would be.
    if (!check_model_numbers(model, "in the entries", messages))
        return {false, 0};
    const TextGrid* anomalousGrid = current_element_table(workspace, messages);
    if (anomalousGrid && !check_anomalous_grid(model, *anomalousGrid, messages))
        return {false, 0};
    load_element_scattering_data(model, anomalousGrid, messages);
    if (!read_wavelength(model, form, messages))
        return {false, 7};
    const EntryReadResult limits = read_limits(workspace, form, messages);
    if (!limits.complete)
        return limits;
    if (const int field = read_resolution(model, form, messages))
        return {false, field};
    return {true, 0};
}

}  // namespace kalidos
