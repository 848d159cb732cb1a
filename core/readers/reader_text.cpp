#include "readers/reader_text.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <system_error>

namespace kalidos
{

namespace
{

// The lines of a piece of text that holds no LF, the piece ending at an LF or at the end of the
// text. Each CR ends a line; a CR just before the LF does not end another (CR LF is one end).
void cut_at_cr(std::string_view piece, bool endsAtLf, LineViews& lines)
{
    if (endsAtLf && !piece.empty() && piece.back() == '\r')
        piece.remove_suffix(1);
    std::size_t from = 0;
    for (std::size_t cr = piece.find('\r'); cr != std::string_view::npos; cr = piece.find('\r', from)) {
        lines.push_back(piece.substr(from, cr - from));
        from = cr + 1;
    }
    if (endsAtLf || from < piece.size()) // an unended last line counts only when it holds something
        lines.push_back(piece.substr(from));
}

} // namespace

// The line ends are looked for with find (memchr), far faster than a test of every character.
LineViews split_line_views(std::string_view text)
{
    LineViews lines;
    lines.reserve(text.size() / 32 + 1); // structure files hold a line per 30-odd characters
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        const bool endsAtLf = lf != std::string_view::npos;
        const std::size_t end = endsAtLf ? lf : text.size();
        cut_at_cr(text.substr(start, end - start), endsAtLf, lines);
        start = end + 1;
    }
    return lines;
}

TextLines split_text_lines(std::string_view text)
{
    const LineViews views = split_line_views(text);
    return TextLines(views.begin(), views.end());
}

LineViews line_views(const TextLines& lines)
{
    return LineViews(lines.begin(), lines.end());
}

namespace
{

// Everything left in `in`: `expected` bytes read at once into one buffer, then whatever a file
// that grew meanwhile still holds.
std::string whole_stream(std::istream& in, std::size_t expected)
{
    std::string content(expected, '\0');
    in.read(content.data(), static_cast<std::streamsize>(expected));
    content.resize(static_cast<std::size_t>(in.gcount()));
    char more[4096];
    while (in && in.read(more, sizeof more).gcount() > 0)
        content.append(more, static_cast<std::size_t>(in.gcount()));
    return content;
}

} // namespace

std::optional<std::string> read_text_file(const std::filesystem::path& file, Messages& messages)
{
    std::error_code error;
    const bool regular = std::filesystem::is_regular_file(file, error);
    const auto size = regular ? std::filesystem::file_size(file, error) : 0;
    std::ifstream in;
    in.rdbuf()->pubsetbuf(nullptr, 0); // unbuffered: the file is read in one call into our buffer
    in.open(file, std::ios::binary);
    if (!regular || error || !in) {
        messages.warning("Cannot open the file " + file_name_only(file.string()));
        return std::nullopt;
    }
    if (size > kMaxStructureFileBytes) {
        messages.warning("The file " + file_name_only(file.string()) +
                         " is too large to be a structure file");
        return std::nullopt;
    }
    return whole_stream(in, static_cast<std::size_t>(size));
}

std::optional<TextLines> read_text_lines(const std::filesystem::path& file, Messages& messages)
{
    const std::optional<std::string> text = read_text_file(file, messages);
    if (!text)
        return std::nullopt;
    return split_text_lines(*text);
}

std::string file_name_only(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

namespace
{
bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\0';
}
} // namespace

std::string trim(std::string_view text)
{
    return std::string(trim_view(text));
}

std::string_view trim_view(std::string_view text)
{
    std::size_t from = 0;
    while (from < text.size() && is_blank(text[from]))
        ++from;
    std::size_t to = text.size();
    while (to > from && is_blank(text[to - 1]))
        --to;
    return text.substr(from, to - from);
}

std::string trim_left(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i]))
        ++i;
    return std::string(text.substr(i));
}

std::string trim_right(std::string_view text)
{
    std::size_t n = text.size();
    while (n > 0 && is_blank(text[n - 1]))
        --n;
    return std::string(text.substr(0, n));
}

std::string to_upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string to_lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

bool starts_with(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

std::string slice(std::string_view text, std::size_t from, std::size_t count)
{
    if (from >= text.size())
        return {};
    return std::string(text.substr(from, count));
}

std::string remove_chars(std::string_view text, std::string_view chars)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (chars.find(c) == std::string_view::npos)
            out.push_back(c);
    return out;
}

std::vector<std::string> split_words(std::string_view text)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && is_blank(text[pos]))
            ++pos;
        std::size_t end = pos;
        while (end < text.size() && !is_blank(text[end]))
            ++end;
        if (end > pos)
            words.emplace_back(text.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

bool parse_real(std::string_view text, double& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return false;
    // from_chars also takes "inf", "nan" and hexadecimal forms: only digits, point, sign, exponent pass.
    if (text.find_first_not_of("0123456789.-eE+") != std::string_view::npos)
        return false;
    double parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool parse_integer(std::string_view text, long long& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return false;
    long long parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}

namespace
{

// The text of a CIF number without its quotes and its standard uncertainty, trimmed: a view into
// `text` unless something had to be taken out of its middle, then into `storage`.
std::string_view bare_cif_number(std::string_view text, std::string& storage)
{
    if (text.find_first_of("'\"") != std::string_view::npos) {
        storage = remove_chars(text, "'\"");
        text = storage;
    }
    text = trim_view(text);
    const auto open = text.find('(');
    if (open != std::string_view::npos) {
        const auto close = text.find(')', open);
        if (close == std::string_view::npos || close + 1 == text.size())
            text = text.substr(0, open);
        else {
            storage = std::string(text.substr(0, open)).append(text.substr(close + 1));
            text = storage;
        }
    }
    return trim_view(text);
}

} // namespace

bool parse_cif_number(std::string_view text, double& value)
{
    std::string storage;
    const std::string_view bare = bare_cif_number(text, storage);
    const auto slash = bare.find('/');
    if (slash == std::string_view::npos)
        return parse_real(bare, value);
    double numerator = 0, denominator = 0;
    if (!parse_real(trim_view(bare.substr(0, slash)), numerator) ||
        !parse_real(trim_view(bare.substr(slash + 1)), denominator) || denominator == 0 ||
        !std::isfinite(numerator / denominator))
        return false;  // 1e300/1e-300 is as unreadable as any other non-number
    value = numerator / denominator;
    return true;
}

} // namespace kalidos
