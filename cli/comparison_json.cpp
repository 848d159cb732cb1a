#include "comparison_json.hpp"

#include "json_fields.hpp"

namespace kalidos::batch {

void write_measured_fields(JsonWriter& json, const ObservedSlot& slot)
{
    if (!slot.measured)
        return;
    const MeasuredDiagram& d = *slot.measured;
    json.field("format", d.format).field("scan", slot.scan + 1);
    json.key("wavelengths").begin_array();
    if (d.wavelengths.lambda1 > 0)
        json.begin_object().field("lambda", d.wavelengths.lambda1).field("weight", 1.0).end_object();
    if (d.wavelengths.lambda2 > 0 && d.wavelengths.ratio > 0)
        json.begin_object().field("lambda", d.wavelengths.lambda2).field("weight", d.wavelengths.ratio).end_object();
    json.end_array();
    const MeasuredScan& scan = d.scans.at(static_cast<std::size_t>(slot.scan));
    json.key("measured").begin_object();
    write_numbers(json, "two_theta", scan.twoTheta);
    write_numbers(json, "intensity", scan.intensity);
    if (!scan.sigma.empty())
        write_numbers(json, "sigma", scan.sigma);
    json.end_object();
}

void write_agreement_list(JsonWriter& json, const std::vector<Agreement>& agreements)
{
    json.key("agreement").begin_array();
    for (const Agreement& a : agreements) {
        json.begin_object().field("file", a.fileName).field("scan", a.scan + 1).field("points", a.points);
        write_value_and_su(json, "scale", a.scale);
        write_value_and_su(json, "zero_shift", a.zeroShift);
        write_fitted_values(json, "background", a.background, true);
        json.field("rp", a.rp).field("rwp", a.rwp).field("rexp", a.rexp).field("chi2", a.chi2);
        json.end_object();
    }
    json.end_array();
}

}  // namespace kalidos::batch
