#include "json_fields.hpp"

namespace kalidos::batch {

void write_value_and_su(JsonWriter& json, const std::string& name, const FittedValue& v)
{
    json.field(name, v.value).field(name + "_su", v.su);
}

void write_fitted_values(JsonWriter& json, const std::string& name, std::span<const FittedValue> values, bool su)
{
    json.key(name).begin_array();
    for (const FittedValue& v : values)
        json.value(v.value);
    json.end_array();
    if (!su)
        return;
    json.key(name + "_su").begin_array();
    for (const FittedValue& v : values)
        json.value(v.su);
    json.end_array();
}

void write_texts(JsonWriter& json, const std::string& name, const std::vector<std::string>& texts)
{
    json.key(name).begin_array();
    for (const std::string& text : texts)
        json.value(text);
    json.end_array();
}

}  // namespace kalidos::batch
