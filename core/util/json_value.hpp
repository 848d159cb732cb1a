// A JSON text read into a tree of values, numbers read to the double they were written from (a
// record read back gives the values its writer had, to the last bit).
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kalidos {

class JsonValue {
public:
    enum class Type { Null, False, True, Number, String, Array, Object };

    Type type() const { return type_; }
    bool is_number() const { return type_ == Type::Number; }
    bool is_bool() const { return type_ == Type::True || type_ == Type::False; }
    double number() const { return number_; }
    const std::string& text() const { return text_; }
    const std::vector<JsonValue>& items() const { return items_; }
    // The member `key` of an object; a null value when it has none (or is no object).
    const JsonValue& operator[](const std::string& key) const;

private:
    friend class JsonReader;
    Type type_ = Type::Null;
    double number_ = 0;
    std::string text_;
    std::vector<JsonValue> items_;
    std::map<std::string, std::size_t> keys_;  // an object's members: their place in items_
};

// The value `text` holds; false when it is not one JSON value (with blanks around it), nested no
// deeper than 64 levels.
bool parse_json(std::string_view text, JsonValue& value);

}  // namespace kalidos
