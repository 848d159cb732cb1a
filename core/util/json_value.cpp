#include "util/json_value.hpp"

#include <charconv>
#include <cmath>

namespace kalidos {

namespace {
constexpr int kMaxDepth = 64;
}

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    bool read_all(JsonValue& value)
    {
        return read(value, 0) && (skip_blanks(), at_ == text_.size());
    }

private:
    void skip_blanks()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool take(char c)
    {
        skip_blanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool word(std::string_view w)
    {
        if (text_.substr(at_, w.size()) != w)
            return false;
        at_ += w.size();
        return true;
    }

    bool read(JsonValue& value, int depth)
    {
        skip_blanks();
        if (at_ >= text_.size() || depth > kMaxDepth)
            return false;
        switch (text_[at_]) {
        case '{': return read_object(value, depth);
        case '[': return read_array(value, depth);
        case '"': value.type_ = JsonValue::Type::String; return read_string(value.text_);
        case 't': value.type_ = JsonValue::Type::True; return word("true");
        case 'f': value.type_ = JsonValue::Type::False; return word("false");
        case 'n': value.type_ = JsonValue::Type::Null; return word("null");
        default: return read_number(value);
        }
    }

    bool read_number(JsonValue& value)
    {
        // JSON's grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
        const std::size_t start = at_;
        const auto digits = [this] {
            const std::size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
                ++at_;
            return at_ > from;
        };
        if (at_ < text_.size() && text_[at_] == '-')
            ++at_;
        const std::size_t integer = at_;
        if (!digits() || (text_[integer] == '0' && at_ - integer > 1))
            return false;
        if (at_ < text_.size() && text_[at_] == '.' && (++at_, !digits()))
            return false;
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-'))
                ++at_;
            if (!digits())
                return false;
        }
        const char* first = text_.data() + start;
        const auto [end, error] = std::from_chars(first, text_.data() + at_, value.number_);
        value.type_ = JsonValue::Type::Number;
        return error == std::errc() && end == text_.data() + at_ && std::isfinite(value.number_);
    }

    static void put_utf8(unsigned code, std::string& out)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool read_hex4(unsigned& code)
    {
        if (at_ + 4 > text_.size())
            return false;
        const auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + at_ + 4, code, 16);
        if (error != std::errc() || end != text_.data() + at_ + 4)
            return false;
        at_ += 4;
        return true;
    }

    bool read_string(std::string& out)
    {
        ++at_;  // the opening quote
        out.clear();
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size())
                return false;
            const char e = text_[at_++];
            static const std::string_view plain = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
            if (const std::size_t k = plain.find(e); k != std::string_view::npos) {
                out += meant[k];
                continue;
            }
            unsigned code = 0;
            if (e != 'u' || !read_hex4(code))
                return false;
            if (code >= 0xD800 && code < 0xDC00) {  // a surrogate pair
                unsigned low = 0;
                if (!word("\\u") || !read_hex4(low) || low < 0xDC00 || low >= 0xE000)
                    return false;
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            put_utf8(code, out);
        }
        return false;
    }

    bool read_array(JsonValue& value, int depth)
    {
        ++at_;
        value.type_ = JsonValue::Type::Array;
        if (take(']'))
            return true;
        do {
            value.items_.emplace_back();
            if (!read(value.items_.back(), depth + 1))
                return false;
        } while (take(','));
        return take(']');
    }

    bool read_object(JsonValue& value, int depth)
    {
        ++at_;
        value.type_ = JsonValue::Type::Object;
        if (take('}'))
            return true;
        do {
            std::string key;
            skip_blanks();
            if (at_ >= text_.size() || text_[at_] != '"' || !read_string(key) || !take(':'))
                return false;
            value.items_.emplace_back();
            if (!read(value.items_.back(), depth + 1))
                return false;
            value.keys_[key] = value.items_.size() - 1;
        } while (take(','));
        return take('}');
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

const JsonValue& JsonValue::operator[](const std::string& key) const
{
    static const JsonValue none;
    if (type_ != Type::Object)
        return none;
    const auto found = keys_.find(key);
    return found == keys_.end() ? none : items_[found->second];
}

bool parse_json(std::string_view text, JsonValue& value)
{
    JsonValue read;
    if (!JsonReader(text).read_all(read))
        return false;
    value = std::move(read);
    return true;
}

}  // namespace kalidos
