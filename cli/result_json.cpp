#include "result_json.hpp"

#include "comparison_json.hpp"
#include "computation/peak_shape.hpp"
#include "json_writer.hpp"

#include "computation/preferred_orientation.hpp"
#include "geometry/bonds.hpp"
#include "refinement_json.hpp"

namespace kalidos::batch {
namespace {

void write_cell(JsonWriter& json, const CellParameters& cell)
{
    json.key("cell").begin_object();
    json.field("a", cell.a).field("b", cell.b).field("c", cell.c);
    json.field("alpha", cell.alpha).field("beta", cell.beta).field("gamma", cell.gamma);
    json.end_object();
}

void write_atoms(JsonWriter& json, const StructureModel& model)
{
    json.key("atoms").begin_array();
    for (int i = 1; i <= model.atomCount; ++i) {
        json.begin_object();
        json.field("symbol", model.atomSymbol[i]).field("label", model.atomLabel[i]);
        json.field("x", model.atomX[i]).field("y", model.atomY[i]).field("z", model.atomZ[i]);
        json.field("b", model.atomB[i]).field("population", model.atomPopulation[i]);
        json.field("multiplicity", model.atomMultiplicity[i]);
        json.end_object();
    }
    json.end_array();
}

void write_bonds(JsonWriter& json, const StructureModel& model, const BondRule& rule)
{
    const std::vector<std::string> names = bond_atom_names(model);
    json.key("bonds").begin_array();
    for (const Bond& bond : asymmetric_unit_bonds(model, rule)) {
        json.begin_object().field("from", names[static_cast<std::size_t>(bond.from - 1)]);
        json.field("to", names[static_cast<std::size_t>(bond.to - 1)]);
        json.field("from_atom", bond.from).field("to_atom", bond.to);
        json.field("distance", bond.distance).end_object();
    }
    json.end_array();
}

void write_operators(JsonWriter& json, const StructureModel& model)
{
    json.key("operators").begin_array();
    for (int i = 1; i <= model.operatorCount; ++i)
        json.value(model.operatorTexts[i]);
    json.end_array();
}

void write_wavelengths(JsonWriter& json, const StructureModel& model)
{
    json.key("wavelengths").begin_array();
    for (int i = 1; i <= model.wavelengths.count; ++i)
        json.begin_object().field("lambda", model.wavelengths.values[i]).field("weight", model.wavelengths.weights[i]).end_object();
    json.end_array();
}

void write_reflections(JsonWriter& json, const StructureModel& model, const CalculationResults& results)
{
    const PreferredOrientationFactors preferred(model);
    json.key("reflections").begin_array();
    for (const Reflection& r : results.merged) {
        json.begin_object();
        json.field("h", static_cast<int>(r.h)).field("k", static_cast<int>(r.k)).field("l", static_cast<int>(r.l));
        json.field("multiplicity", static_cast<int>(r.multiplicity)).field("lambda", r.lambda);
        json.field("d", r.d).field("two_theta", r.twoTheta).field("intensity", r.intensity);
        json.field("po_factor", preferred(r.h, r.k, r.l));
        const PeakShape peak = peak_shape(model, r.twoTheta, r.lambda, r.intensity);
        json.field("position", peak.position).field("fwhm", peak.fwhm).field("eta", peak.eta);
        json.end_object();
    }
    json.end_array();
    json.key("peaks").begin_array();
    for (const PeakEntry& p : results.peaks) {
        json.begin_object();
        json.field("h", static_cast<int>(p.h)).field("k", static_cast<int>(p.k)).field("l", static_cast<int>(p.l));
        json.field("q", p.q).field("intensity", p.intensity);
        json.end_object();
    }
    json.end_array();
}

void write_grid(JsonWriter& json, const GridPattern& grid)
{
    json.key("pattern").begin_object();
    json.key("two_theta").begin_array();
    for (const double angle : grid.twoTheta)
        json.value(angle);
    json.end_array();
    json.key("intensity").begin_array();
    for (const double value : grid.intensity)
        json.value(value);
    json.end_array();
    json.end_object();
}

void write_pattern(JsonWriter& json, const CalculatedPattern& pattern)
{
    json.key("pattern").begin_object();
    json.key("two_theta").begin_array();
    for (int i = 0; i < pattern.pointCount; ++i)
        json.value(static_cast<double>(pattern.angles[i]));
    json.end_array();
    json.key("intensity").begin_array();
    for (int i = 0; i < pattern.pointCount; ++i)
        json.value(static_cast<double>(pattern.intensities[i]));
    json.end_array();
    json.end_object();
}

// The resampling leaves the slots before the first and after the last picked point at
// zero; only the picked points are written.
void write_observed_slot(JsonWriter& json, const ObservedSlot& slot)
{
    int first = 1;
    int last = kPatternPoints;
    while (first <= last && slot.points[first].twoTheta == 0 && slot.points[first].intensity == 0)
        ++first;
    while (last >= first && slot.points[last].twoTheta == 0 && slot.points[last].intensity == 0)
        --last;
    json.begin_object().field("file", slot.fileName).field("lambda", slot.lambda);
    json.key("two_theta").begin_array();
    for (int g = first; g <= last; ++g)
        json.value(slot.points[g].twoTheta);
    json.end_array();
    json.key("intensity").begin_array();
    for (int g = first; g <= last; ++g)
        json.value(slot.points[g].intensity);
    json.end_array();
    write_measured_fields(json, slot);
    json.end_object();
}

void write_result_fields(JsonWriter& json, const Workspace& workspace, const std::vector<std::string>& messages,
                         const JsonContents& contents)
{
    const StructureModel& model = workspace.model;
    json.field("title", model.title).field("crystal_system", model.crystalSystem);
    json.field("space_group", model.spaceGroupSymbol);
    write_cell(json, model.cell);
    write_operators(json, model);
    write_atoms(json, model);
    if (contents.bonds)
        write_bonds(json, model, *contents.bonds);
    write_wavelengths(json, model);
    write_reflections(json, model, workspace.results);
    if (workspace.results.grid.twoTheta.empty())
        write_pattern(json, workspace.results.pattern);
    else
        write_grid(json, workspace.results.grid);
    json.key("observed").begin_array();
    for (int k = 1; k <= workspace.observed.count; ++k)
        write_observed_slot(json, workspace.observed.slots[k]);
    json.end_array();
    if (contents.agreementList)
        write_agreement_list(json, workspace.agreements);
    if (contents.refinement)
        write_refinement(json, *contents.refinement);
    json.key("messages").begin_array();
    for (const std::string& text : messages)
        json.value(text);
    json.end_array();
}

}  // namespace

JsonContents json_contents(const BatchOptions& options)
{
    JsonContents contents;
    contents.agreementList = options.compare;
    if (options.bonds) {
        BondRule& rule = contents.bonds.emplace();
        parse_bond_pairs(options.bondPairs.value_or(""), rule);  // read when the options were
        rule.tolerance = options.bondTolerance.value_or(kDefaultBondTolerance);
    }
    return contents;
}

void write_result_json(std::ostream& out, const Workspace& workspace, const std::vector<std::string>& messages,
                       const JsonContents& contents)
{
    JsonWriter json(out);
    json.begin_object();
    write_result_fields(json, workspace, messages, contents);
    json.end_object();
}

void write_result_record(std::string& out, JsonLayout layout, const std::string& file, int exitStatus,
                         const Workspace& workspace, const std::vector<std::string>& messages,
                         const JsonContents& contents)
{
    JsonWriter json(out, layout);
    json.begin_object();
    json.field("file", file).field("ok", exitStatus == 0).field("exit_status", exitStatus);
    write_result_fields(json, workspace, messages, contents);
    json.end_object();
}

}  // namespace kalidos::batch
