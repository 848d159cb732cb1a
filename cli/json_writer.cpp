#include "json_writer.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace kalidos::batch {

namespace {

// The escape sequence of a byte that cannot stand in a JSON string, or an empty view.
std::string_view escape_of(char c, char (&spelled)[7])
{
    switch (c) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default:
        if (static_cast<unsigned char>(c) >= 0x20)
            return {};
        static const char* hex = "0123456789abcdef";
        std::copy_n("\\u00", 4, spelled);
        spelled[4] = hex[(c >> 4) & 0xf];
        spelled[5] = hex[c & 0xf];
        return {spelled, 6};
    }
}

// Calls `out` with the escaped text in pieces: runs that need no escape pass whole.
template <class Out>
void escape_into(std::string_view text, Out&& out)
{
    std::size_t from = 0;
    char spelled[7];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view escape = escape_of(text[i], spelled);
        if (escape.empty())
            continue;
        out(text.substr(from, i - from));
        out(escape);
        from = i + 1;
    }
    out(text.substr(from));
}

}  // namespace

std::string json_escape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    escape_into(text, [&](std::string_view piece) { escaped += piece; });
    return escaped;
}

// Straight to the stream's buffer: records hold thousands of numbers, and each formatted
// insertion would check the stream's state again. A short write fails the stream as << would.
void JsonWriter::put(std::string_view text)
{
    if (text_ != nullptr) {
        text_->append(text);
        return;
    }
    std::ostream& out = *stream_;
    const auto size = static_cast<std::streamsize>(text.size());
    if (!out || out.rdbuf() == nullptr || out.rdbuf()->sputn(text.data(), size) != size)
        out.setstate(std::ios::badbit);
}

void JsonWriter::put_escaped(std::string_view text)
{
    escape_into(text, [this](std::string_view piece) { put(piece); });
}

void JsonWriter::line_break(std::size_t indent)
{
    if (oneLine_)
        return;
    put("\n");
    static constexpr std::string_view kSpaces = "                                ";
    for (; indent > kSpaces.size(); indent -= kSpaces.size())
        put(kSpaces);
    put(kSpaces.substr(0, indent));
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
    if (startsLine)
        line_break(2 * levels_.size());
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
        line_break(2);
    else if (!level.empty)
        put(" ");
    level.empty = false;
    put("\"");
    put_escaped(name);
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
        line_break(0);
    put("}");
    if (levels_.empty())
        line_break(0);
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
        line_break(0);
    return *this;
}

JsonWriter& JsonWriter::value(const std::string& text)
{
    before_value();
    put("\"");
    put_escaped(text);
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
