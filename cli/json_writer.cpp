#include "json_writer.hpp"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace kalidos::batch {

std::string json_escape(const std::string& text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '"': escaped += "\\\""; break;
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\r': escaped += "\\r"; break;
        case '\t': escaped += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static const char* hex = "0123456789abcdef";
                escaped += "\\u00";
                escaped += hex[(c >> 4) & 0xf];
                escaped += hex[c & 0xf];
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

// A value inside an object must follow a key; inside an array it follows a comma.
void JsonWriter::before_value(bool startsLine)
{
    if (levels_.empty()) {
        if (wroteSomething_)
            throw std::logic_error("JSON: a second top-level value");
        wroteSomething_ = true;
        return;
    }
    Level& level = levels_.back();
    if (level.isObject) {
        if (!afterKey_)
            throw std::logic_error("JSON: a value in an object needs a key");
        afterKey_ = false;
        return;
    }
    if (!level.empty)
        out_ << ',';
    level.empty = false;
    if (startsLine)
        out_ << "\n" << std::string(2 * levels_.size(), ' ');
}

JsonWriter& JsonWriter::key(const std::string& name)
{
    if (levels_.empty() || !levels_.back().isObject || afterKey_)
        throw std::logic_error("JSON: a key outside an object");
    Level& level = levels_.back();
    if (!level.empty)
        out_ << ',';
    // Top-level keys start lines; nested objects stay on one line each.
    if (levels_.size() == 1)
        out_ << "\n  ";
    else if (!level.empty)
        out_ << ' ';
    level.empty = false;
    out_ << '"' << json_escape(name) << "\": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::begin_object()
{
    before_value(true);
    out_ << '{';
    levels_.push_back({true});
    return *this;
}

JsonWriter& JsonWriter::end_object()
{
    if (levels_.empty() || !levels_.back().isObject || afterKey_)
        throw std::logic_error("JSON: no object to close");
    const bool empty = levels_.back().empty;
    levels_.pop_back();
    if (!empty && levels_.empty())
        out_ << '\n';
    out_ << '}';
    if (levels_.empty())
        out_ << '\n';
    return *this;
}

JsonWriter& JsonWriter::begin_array()
{
    before_value();
    out_ << '[';
    levels_.push_back({false});
    return *this;
}

JsonWriter& JsonWriter::end_array()
{
    if (levels_.empty() || levels_.back().isObject)
        throw std::logic_error("JSON: no array to close");
    levels_.pop_back();
    out_ << ']';
    if (levels_.empty())
        out_ << '\n';
    return *this;
}

JsonWriter& JsonWriter::value(const std::string& text)
{
    before_value();
    out_ << '"' << json_escape(text) << '"';
    return *this;
}

JsonWriter& JsonWriter::value(double number)
{
    if (!std::isfinite(number))
        return null();
    before_value();
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out_.write(buffer, result.ptr - buffer);
    return *this;
}

JsonWriter& JsonWriter::value(int number)
{
    before_value();
    out_ << number;
    return *this;
}

JsonWriter& JsonWriter::value(bool flag)
{
    before_value();
    out_ << (flag ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::null()
{
    before_value();
    out_ << "null";
    return *this;
}

void write_numbers(JsonWriter& json, const std::string& name, const std::vector<double>& values)
{
    json.key(name).begin_array();
    for (const double v : values)
        json.value(v);
    json.end_array();
}

}  // namespace kalidos::batch
