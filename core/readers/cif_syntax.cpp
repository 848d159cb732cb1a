#include "readers/cif_syntax.hpp"

namespace kalidos
{

namespace
{

struct Token {
    std::string text;
    bool quoted = false; // quotes or a text field: never a tag or a keyword
    bool textField = false;
};

bool is_space(char c)
{
    return c == ' ' || c == '\t';
}

// A quoted value ends at the same quote followed by a blank or the end of the line.
std::size_t quote_end(const std::string& line, std::size_t open)
{
    const char quote = line[open];
    for (std::size_t i = open + 1; i < line.size(); ++i)
        if (line[i] == quote && (i + 1 == line.size() || is_space(line[i + 1])))
            return i;
    return std::string::npos;
}

void tokenize_line(const std::string& line, std::vector<Token>& tokens)
{
    std::size_t i = 0;
    while (i < line.size()) {
        if (is_space(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#')
            return;
        if (line[i] == '\'' || line[i] == '"') {
            const std::size_t close = quote_end(line, i);
            const std::size_t end = close == std::string::npos ? line.size() : close;
            tokens.push_back({line.substr(i + 1, end - i - 1), true, false});
            i = end + 1;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && !is_space(line[end]))
            ++end;
        tokens.push_back({line.substr(i, end - i), false, false});
        i = end;
    }
}

std::vector<Token> tokenize(const TextLines& lines)
{
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] != ';') {
            tokenize_line(lines[i], tokens);
            continue;
        }
        std::string text = lines[i].substr(1);
        while (++i < lines.size() && (lines[i].empty() || lines[i][0] != ';'))
            text += "\n" + lines[i];
        tokens.push_back({text, true, true});
    }
    return tokens;
}

bool is_tag(const Token& t)
{
    return !t.quoted && !t.text.empty() && t.text[0] == '_';
}

bool is_keyword(const Token& t)
{
    if (t.quoted)
        return false;
    const std::string lower = to_lower(slice(t.text, 0, 7));
    return lower == "loop_" || starts_with(lower, "data_") || starts_with(lower, "save_") ||
           lower == "global_" || lower == "stop_";
}

std::size_t read_loop(const std::vector<Token>& tokens, std::size_t i, CifBlockData& block)
{
    CifLoop loop;
    while (i < tokens.size() && is_tag(tokens[i]))
        loop.tags.push_back(to_lower(tokens[i++].text));
    std::vector<std::string> values;
    while (i < tokens.size() && !is_tag(tokens[i]) && !is_keyword(tokens[i]))
        values.push_back(tokens[i++].text);
    if (loop.tags.empty())
        return i;
    for (std::size_t v = 0; v < values.size(); v += loop.tags.size()) {
        std::vector<std::string> row(loop.tags.size(), "?");
        for (std::size_t c = 0; c < loop.tags.size() && v + c < values.size(); ++c)
            row[c] = values[v + c];
        loop.rows.push_back(std::move(row));
    }
    block.loops.push_back(std::move(loop));
    return i;
}

} // namespace

int CifLoop::column(std::string_view tag) const
{
    for (std::size_t c = 0; c < tags.size(); ++c)
        if (tags[c] == tag)
            return static_cast<int>(c);
    return -1;
}

bool is_cif_null(std::string_view value)
{
    return value == "?" || value == ".";
}

const CifValue* CifBlockData::find(std::string_view tag) const
{
    for (const auto& [name, value] : items)
        if (name == tag && (value.textField || !is_cif_null(value.text)))
            return &value;
    return nullptr;
}

const CifLoop* CifBlockData::find_loop(std::string_view tag) const
{
    for (const CifLoop& loop : loops)
        if (loop.column(tag) >= 0)
            return &loop;
    return nullptr;
}

CifBlockData parse_cif_block(const TextLines& lines)
{
    const std::vector<Token> tokens = tokenize(lines);
    CifBlockData block;
    std::size_t i = 0;
    while (i < tokens.size()) {
        const Token& token = tokens[i];
        if (!token.quoted && to_lower(token.text) == "loop_") {
            i = read_loop(tokens, i + 1, block);
        } else if (is_tag(token)) {
            const bool hasValue =
                i + 1 < tokens.size() && !is_tag(tokens[i + 1]) && !is_keyword(tokens[i + 1]);
            CifValue value{hasValue ? tokens[i + 1].text : "?", hasValue && tokens[i + 1].textField};
            block.items.emplace_back(to_lower(token.text), std::move(value));
            i += hasValue ? 2 : 1;
        } else {
            ++i; // a block header, a frame keyword or a stray value
        }
    }
    return block;
}

} // namespace kalidos
