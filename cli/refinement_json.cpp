#include "refinement_json.hpp"

#include "json_fields.hpp"

namespace kalidos::batch {
namespace {

void write_stages(JsonWriter& json, const RefinementResult& r)
{
    json.key("stages").begin_array();
    for (const RefinementStage& stage : r.stages) {
        json.begin_object();
        write_texts(json, "released", stage.released);
        json.field("cycles", stage.cycles).field("outcome", outcome_text(stage.outcome));
        json.field("converged", stage.converged).field("chi2", stage.chi2);
        write_texts(json, "notes", stage.notes);
        json.end_object();
    }
    json.end_array();
}

void write_parameters(JsonWriter& json, const RefinementResult& r)
{
    json.key("parameters").begin_array();
    for (const RefinementParameter& p : r.parameters)
        if (p.refined)
            json.begin_object()
                .field("name", p.name)
                .field("phase", p.phase + 1)
                .field("atom", p.atom)
                .field("value", p.value)
                .field("su", p.su)
                .field("held", p.held)
                .field("limit", p.limit < 0 ? "lower" : p.limit > 0 ? "upper" : "")
                .end_object();
    json.end_array();
    json.key("correlations").begin_array();
    for (const ParameterCorrelation& c : r.correlations)
        json.begin_object().field("first", c.first).field("second", c.second).field("coefficient", c.coefficient).end_object();
    json.end_array();
}

void write_atom(JsonWriter& json, const RefinedAtom& a)
{
    json.begin_object().field("name", a.name);
    write_value_and_su(json, "x", a.x);
    write_value_and_su(json, "y", a.y);
    write_value_and_su(json, "z", a.z);
    write_value_and_su(json, "b", a.b);
    write_value_and_su(json, "occupancy", a.occupancy);
    if (a.anisotropic)
        write_fitted_values(json, "u", a.u, true);
    json.end_object();
}

void write_reflections(JsonWriter& json, const RefinedPhase& phase)
{
    json.key("reflections").begin_array();
    for (const ExtractedReflection& r : phase.reflections) {
        json.begin_object().field("h", r.h).field("k", r.k).field("l", r.l).field("multiplicity", r.multiplicity);
        json.field("d", r.d).field("two_theta", r.twoTheta).field("f2", r.f2).field("f2_su", r.su);
        if (phase.refined.atomCount > 0)
            json.field("f2_calculated", r.f2Calculated);
        json.field("overlap", r.exact ? "exact" : r.overlapped ? "partial" : "none").end_object();
    }
    json.end_array();
}

void write_phases(JsonWriter& json, const RefinementResult& r)
{
    static const char* const cellNames[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
    json.key("phases").begin_array();
    for (std::size_t p = 0; p < r.phases.size(); ++p) {
        const RefinedPhase& phase = r.phases[p];
        json.begin_object().field("phase", static_cast<int>(p + 1)).field("name", phase.name);
        json.field("r_bragg", phase.rBragg);
        write_value_and_su(json, "scale", phase.scale);
        if (phase.fractionDefined)
            write_value_and_su(json, "fraction", phase.fraction);
        else  // beside a phase of free intensities no phase has a weight fraction
            json.key("fraction").null().key("fraction_su").null();
        json.key("cell").begin_object();
        for (std::size_t k = 0; k < 6; ++k)
            write_value_and_su(json, cellNames[k], phase.cell[k]);
        json.end_object();
        write_value_and_su(json, "volume", phase.volume);
        if (phase.method != IntensityMethod::Structure)
            json.field("method", intensity_method_text(phase.method));
        if (!phase.reflections.empty())
            write_reflections(json, phase);
        json.key("atoms").begin_array();
        for (const RefinedAtom& atom : phase.atoms)
            write_atom(json, atom);
        json.end_array().end_object();
    }
    json.end_array();
}

}  // namespace

void write_refinement(JsonWriter& json, const RefinementResult& r)
{
    json.key("refinement").begin_object();
    json.field("outcome", outcome_text(r.outcome));
    write_texts(json, "notes", r.notes);
    write_stages(json, r);
    json.field("points", r.points).field("refined", r.refinedCount);
    json.field("rp", r.rp).field("rwp", r.rwp).field("rexp", r.rexp).field("chi2", r.chi2);
    write_parameters(json, r);
    write_phases(json, r);
    json.end_object();
}

}  // namespace kalidos::batch
