// A small streaming JSON writer: the batch runner only ever writes JSON, never reads it.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kalidos::batch {

// Indented: each top-level key, and each object inside an array, on a line of its own.
// OneLine: the same document with those line breaks and their indentation left out (a JSON
// Lines record; a line break inside a string is always escaped).
enum class JsonLayout { Indented, OneLine };

// Writes one document; commas and nesting are tracked so that callers only name keys and
// values. Reals are written in the shortest form that reads back to the same double;
// a non-finite real, which JSON cannot hold, is written as null.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : stream_(&out) {}
    // Appended to `text`: a record of thousands of numbers goes straight into its string.
    explicit JsonWriter(std::string& text, JsonLayout layout = JsonLayout::Indented)
        : text_(&text), oneLine_(layout == JsonLayout::OneLine)
    {
    }

    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    JsonWriter& key(const std::string& name);

    JsonWriter& value(const std::string& text);
    JsonWriter& value(const char* text) { return value(std::string(text)); }
    JsonWriter& value(double number);
    JsonWriter& value(int number);
    JsonWriter& value(bool flag);
    JsonWriter& null();

    // key then value, for the common case
    template <class T>
    JsonWriter& field(const std::string& name, const T& v)
    {
        key(name);
        return value(v);
    }

    // True once every object and array opened is closed again.
    bool complete() const { return levels_.empty() && wroteSomething_; }

private:
    void before_value(bool startsLine = false);  // startsLine: an object inside an array
    void put(std::string_view text);
    void put_escaped(std::string_view text);
    void line_break(std::size_t indent);

    struct Level {
        bool isObject;
        bool empty = true;
    };
    std::ostream* stream_ = nullptr;
    std::string* text_ = nullptr;
    bool oneLine_ = false;
    std::vector<Level> levels_;
    bool afterKey_ = false;
    bool wroteSomething_ = false;
};

// The text between the quotes of a JSON string: quotes, backslashes and control
// characters escaped; other bytes (UTF-8 included) pass unchanged.
std::string json_escape(std::string_view text);

// "name": [values...]
void write_numbers(JsonWriter& json, const std::string& name, const std::vector<double>& values);

}  // namespace kalidos::batch
