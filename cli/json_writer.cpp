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

// Straight to the stream's buffer: records hold thousands of numbers, and each formatted
// insertion would check the stream's state again. A short write fails the stream as << would.
void JsonWriter::put(std::string_view text)
{
    const auto size = static_cast<std::streamsize>(text.size());
    if (!out_ || out_.rdbuf() == nullptr || out_.rdbuf()->sputn(text.data(), size) != size)
        out_.setstate(std::ios::badbit);
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
        put(",");
    level.empty = false;
    if (startsLine) {
        put("\n");
        put(std::string(2 * levels_.size(), ' '));
    }
}

JsonWriter& JsonWriter::key(const std::string& name)
{
    if (levels_.empty() || !levels_.back().isObject || afterKey_)
        throw std::logic_error("JSON: a key outside an object");
    Level& level = levels_.back();
    if (!level.empty)
        put(",");
    // Top-level keys start lines; nested objects stay on one line each.
    if (levels_.size() == 1)
        put("\n  ");
    else if (!level.empty)
        put(" ");
    level.empty = false;
    put("\"");
    put(json_escape(name));
    put("\": ");
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::begin_object()
{
    before_value(true);
    put("{");
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
        put("\n");
    put("}");
    if (levels_.empty())
        put("\n");
    return *this;
}

JsonWriter& JsonWriter::begin_array()
{
    before_value();
    put("[");
    levels_.push_back({false});
    return *this;
}

JsonWriter& JsonWriter::end_array()
{
    if (levels_.empty() || levels_.back().isObject)
        throw std::logic_error("JSON: no array to close");
    levels_.pop_back();
    put("]");
    if (levels_.empty())
        put("\n");
    return *this;
}

JsonWriter& JsonWriter::value(const std::string& text)
{
    before_value();
    put("\"");
    put(json_escape(text));
    put("\"");
    return *this;
}

JsonWriter& JsonWriter::value(double number)
{
    if (!std::isfinite(number))
        return null();
    before_value();
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    put(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
    return *this;
}

JsonWriter& JsonWriter::value(int number)
{
    before_value();
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    put(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
    return *this;
}

JsonWriter& JsonWriter::value(bool flag)
{
    before_value();
    put(flag ? "true" : "false");
    return *this;
}

JsonWriter& JsonWriter::null()
{
    before_value();
    put("null");
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
