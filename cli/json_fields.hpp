// The fields every part of kalidos-batch's JSON writes alike: a fitted value with its su, a list of
// them, a list of texts.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "json_writer.hpp"
#include "model/agreement.hpp"

namespace kalidos::batch {

// name: value, name_su: su.
void write_value_and_su(JsonWriter& json, const std::string& name, const FittedValue& v);

// name: [values], and with `su` name_su: [su].
void write_fitted_values(JsonWriter& json, const std::string& name, std::span<const FittedValue> values, bool su);

// name: [texts].
void write_texts(JsonWriter& json, const std::string& name, const std::vector<std::string>& texts);

}  // namespace kalidos::batch
