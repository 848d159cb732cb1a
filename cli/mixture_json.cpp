#include "mixture_json.hpp"

#include "comparison_json.hpp"
#include "json_fields.hpp"
#include "json_writer.hpp"
#include "refinement_json.hpp"

namespace kalidos::batch {
namespace {

void write_phase_quantities(JsonWriter& json, const PhaseQuantities& q, std::size_t p)
{
    if (!q.brindley.empty()) {
        json.field("absorption", q.absorption[p].mu).field("density", q.absorption[p].density);
        json.field("tau", q.tau[p]).field("fraction_brindley", q.brindley[p]);
    }
    if (!q.absolute.empty())
        json.field("fraction_of_sample", q.absolute[p]);
}

void write_quantities(JsonWriter& json, const PhaseQuantities& q, const PhaseOptions& options)
{
    json.key("quantities").begin_object();
    if (!q.brindley.empty())
        json.field("particle_diameter", options.brindley).field("mean_absorption", q.meanMu);
    if (!q.absolute.empty())
        json.field("standard", options.standard).field("standard_weighed", options.standardPercent / 100)
            .field("amorphous", q.amorphous);
    write_texts(json, "notes", q.notes);
    json.end_object();
}

void write_phases(JsonWriter& json, const MixtureRun& run)
{
    json.key("phases").begin_array();
    for (std::size_t p = 0; p < run.phases.size(); ++p) {
        const MixturePhase& phase = run.phases[p];
        json.begin_object().field("phase", static_cast<int>(p + 1)).field("file", phase.name);
        json.field("title", run.workspaces[p]->model.title).field("formula", phase.content.formula);
        json.field("z", phase.content.z).field("formula_mass", phase.content.formulaMass);
        json.field("volume", phase.content.volume * phase.cellScale * phase.cellScale * phase.cellScale);
        // Beside a phase of free intensities the refinement defines no fraction.
        const bool undefined = run.refinement && !run.refinement->phases.at(p).fractionDefined;
        if (undefined)
            json.key("fraction").null();
        else
            json.field("fraction", phase.fraction);
        json.field("scale", run.scales[p]);
        if (run.fit) {
            const FittedPhase& f = run.fit->phases[p];
            json.field("fraction_su", f.fraction.su).field("scale_su", f.scale.su);
            write_value_and_su(json, "size", f.sizeNm);
            write_value_and_su(json, "cell_scale", f.cellScale);
            json.field("contributes", f.contributes);
        }
        if (run.refinement) {
            const RefinedPhase& refined = run.refinement->phases.at(p);
            if (undefined)
                json.key("fraction_su").null();
            else
                json.field("fraction_su", refined.fraction.su);
            json.field("r_bragg", refined.rBragg);
        }
        if (run.quantities)
            write_phase_quantities(json, *run.quantities, p);
        json.end_object();
    }
    json.end_array();
}

void write_reflections(JsonWriter& json, const MixtureRun& run)
{
    json.key("reflections").begin_array();
    for (std::size_t p = 0; p < run.phases.size(); ++p) {
        const MixturePhase& phase = run.phases[p];
        const double toPattern = run.curves.factor > 0 ? run.scales[p] / run.curves.factor : 0.0;
        for (const Reflection& r : phase.reflections) {
            json.begin_object().field("phase", static_cast<int>(p + 1));
            json.field("h", static_cast<int>(r.h)).field("k", static_cast<int>(r.k)).field("l", static_cast<int>(r.l));
            json.field("multiplicity", static_cast<int>(r.multiplicity)).field("lambda", r.lambda);
            json.field("d", r.d * phase.cellScale).field("two_theta", scaled_two_theta(r, phase.cellScale));
            json.field("absolute_intensity", r.intensity).field("mixture_intensity", r.intensity * toPattern);
            json.end_object();
        }
    }
    json.end_array();
}

void write_pattern(JsonWriter& json, const MixtureCurves& curves)
{
    json.key("pattern").begin_object();
    write_numbers(json, "two_theta", curves.twoTheta);
    write_numbers(json, "intensity", curves.total);
    json.key("phases").begin_array();
    for (const std::vector<double>& values : curves.phases) {
        json.begin_array();
        for (const double v : values)
            json.value(v);
        json.end_array();
    }
    json.end_array();
    json.end_object();
}

void write_fit(JsonWriter& json, const PhaseFit& fit)
{
    const Agreement& a = fit.agreement;
    json.key("fit").begin_object().field("points", a.points).field("parameters", a.parameters);
    json.field("rp", a.rp).field("rwp", a.rwp).field("rexp", a.rexp).field("chi2", a.chi2);
    write_value_and_su(json, "zero_shift", a.zeroShift);
    write_fitted_values(json, "background", a.background, false);
    json.field("cycles", fit.cycles).field("converged", fit.converged);
    write_texts(json, "notes", fit.notes);
    json.end_object();
}

}  // namespace

void write_mixture_json(std::ostream& out, const MixtureRun& run, const std::vector<std::string>& messages,
                        const PhaseOptions& options)
{
    JsonWriter json(out);
    json.begin_object();
    write_phases(json, run);
    if (run.quantities)
        write_quantities(json, *run.quantities, options);
    const StructureModel& first = run.workspaces.front()->model;
    json.key("wavelengths").begin_array();
    for (int i = 1; i <= first.wavelengths.count; ++i)
        json.begin_object().field("lambda", first.wavelengths.values[i]).field("weight", first.wavelengths.weights[i]).end_object();
    json.end_array();
    write_reflections(json, run);
    write_pattern(json, run.curves);
    json.key("observed").begin_array();
    const ObservedPattern& observed = run.workspaces.front()->observed;
    for (int k = 1; k <= observed.count; ++k) {
        json.begin_object().field("file", observed.slots[k].fileName).field("lambda", observed.slots[k].lambda);
        write_measured_fields(json, observed.slots[k]);
        json.end_object();
    }
    json.end_array();
    if (run.fit)
        write_fit(json, *run.fit);
    if (run.refinement) {
        write_agreement_list(json, run.workspaces.front()->agreements);
        write_refinement(json, *run.refinement);
    }
    json.key("messages").begin_array();
    for (const std::string& text : messages)
        json.value(text);
    json.end_array();
    json.end_object();
}

}  // namespace kalidos::batch
