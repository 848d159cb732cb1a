// The JSON of measured diagrams at their own resolution and of the comparisons made.
#pragma once

#include "json_writer.hpp"
#include "model/workspace.hpp"

namespace kalidos::batch {

// The fields an observed entry gains when the slot keeps its diagram: format, scan (from 1),
// wavelengths [{lambda, weight}] (Kα1 weighs 1, Kα2 the stated ratio) and measured
// {two_theta, intensity, sigma (when the file states it)} with every point as read.
void write_measured_fields(JsonWriter& json, const ObservedSlot& slot);

// "agreement": [{file, scan, points, scale, scale_su, zero_shift, zero_shift_su, background,
// background_su, rp, rwp, rexp, chi2}]; a value not fitted has the uncertainty 0.
void write_agreement_list(JsonWriter& json, const std::vector<Agreement>& agreements);

}  // namespace kalidos::batch
