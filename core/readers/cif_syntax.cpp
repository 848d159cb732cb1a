#include "readers/cif_syntax.hpp"

#include "readers/case_fold.hpp"

#include <deque>

namespace kalidos
{

namespace
{

// A view into the block's lines, or into the joined lines of a text field.
struct Token {
    std::string_view text;
    bool quoted = false;              // quotes or a text field: never a tag or a keyword
    std::string* textField = nullptr; // a text field's joined lines, which `text` views
};

struct Tokens {
    std::vector<Token> list;
    std::deque<std::string> textFields; // a deque: growing it moves none of the texts tokens point into
};

bool is_space(char c)
{
    return c == ' ' || c == '\t';
}

// A quoted value ends at the same quote followed by a blank or the end of the line.
std::size_t quote_end(std::string_view line, std::size_t open)
{
    const char quote = line[open];
    for (std::size_t i = open + 1; i < line.size(); ++i)
        if (line[i] == quote && (i + 1 == line.size() || is_space(line[i + 1])))
            return i;
    return std::string_view::npos;
}

void tokenize_line(std::string_view line, std::vector<Token>& tokens)
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
            const std::size_t end = close == std::string_view::npos ? line.size() : close;
            tokens.push_back({line.substr(i + 1, end - i - 1), true});
            i = end + 1;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && !is_space(line[end]))
            ++end;
        tokens.push_back({line.substr(i, end - i), false});
        i = end;
    }
}

bool opens_text_field(std::string_view line)
{
    return !line.empty() && line[0] == ';';
}

// `lines` outlive the tokens, which point into them.
void tokenize(const LineViews& lines, Tokens& tokens)
{
    tokens.list.reserve(lines.size() * 3); // a rough guess: most lines hold one to a few values
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!opens_text_field(lines[i])) {
            tokenize_line(lines[i], tokens.list);
            continue;
        }
        std::string& text = tokens.textFields.emplace_back(lines[i].substr(1));
        while (++i < lines.size() && !opens_text_field(lines[i]))
            text.append(1, '\n').append(lines[i]);
        tokens.list.push_back({text, true, &text});
    }
}

bool is_tag(const Token& t)
{
    return !t.quoted && !t.text.empty() && t.text[0] == '_';
}

// "loop_", "stop_", and whatever begins with "data_", "save_" or "global_", in any case.
bool is_keyword(const Token& t, const CaseFold& fold)
{
    if (t.quoted || t.text.empty())
        return false;
    const char first = fold.lower(t.text[0]); // most values are told apart by it alone
    if (first != 'l' && first != 'd' && first != 's' && first != 'g')
        return false;
    return fold.equals(t.text, "loop_") || fold.starts_with(t.text, "data_") ||
           fold.starts_with(t.text, "save_") || fold.starts_with(t.text, "global_") ||
           fold.equals(t.text, "stop_");
}

// A token's text as a value. Each token is taken once, so a text field's joined lines are moved
// out rather than copied: its view of them is not looked at again.
std::string take_text(const Token& t)
{
    return t.textField != nullptr ? std::move(*t.textField) : std::string(t.text);
}

// The values [first, end) cut into rows of `width`; a short last row is filled with "?".
std::vector<std::vector<std::string>> loop_rows(const std::vector<Token>& tokens, std::size_t first,
                                                std::size_t end, std::size_t width)
{
    std::vector<std::vector<std::string>> rows;
    rows.reserve((end - first + width - 1) / width);
    for (std::size_t v = first; v < end; v += width) {
        std::vector<std::string>& row = rows.emplace_back();
        row.reserve(width);
        for (std::size_t c = 0; c < width; ++c)
            row.push_back(v + c < end ? take_text(tokens[v + c]) : std::string("?"));
    }
    return rows;
}

std::size_t read_loop(const std::vector<Token>& tokens, std::size_t i, const CaseFold& fold,
                      CifBlockData& block)
{
    CifLoop loop;
    while (i < tokens.size() && is_tag(tokens[i]))
        loop.tags.push_back(fold.to_lower(tokens[i++].text));
    const std::size_t firstValue = i;
    while (i < tokens.size() && !is_tag(tokens[i]) && !is_keyword(tokens[i], fold))
        ++i;
    if (loop.tags.empty())
        return i;
    loop.rows = loop_rows(tokens, firstValue, i, loop.tags.size());
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

CifBlockData parse_cif_block(const LineViews& lines)
{
    const CaseFold fold;
    Tokens all;
    tokenize(lines, all);
    const std::vector<Token>& tokens = all.list;
    CifBlockData block;
    std::size_t i = 0;
    while (i < tokens.size()) {
        const Token& token = tokens[i];
        if (!token.quoted && fold.equals(token.text, "loop_")) {
            i = read_loop(tokens, i + 1, fold, block);
        } else if (is_tag(token)) {
            const bool hasValue =
                i + 1 < tokens.size() && !is_tag(tokens[i + 1]) && !is_keyword(tokens[i + 1], fold);
            CifValue value{hasValue ? take_text(tokens[i + 1]) : std::string("?"),
                           hasValue && tokens[i + 1].textField != nullptr};
            block.items.emplace_back(fold.to_lower(token.text), std::move(value));
            i += hasValue ? 2 : 1;
        } else {
            ++i; // a block header, a frame keyword or a stray value
        }
    }
    return block;
}

CifBlockData parse_cif_block(const TextLines& lines)
{
    return parse_cif_block(line_views(lines));
}

} // namespace kalidos
