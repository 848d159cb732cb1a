#include "readers/split_numbers.hpp"

#include "readers/reader_text.hpp"

#include <string>

namespace kalidos
{

SplitNumbers split_numbers(std::string_view line)
{
    SplitNumbers result;
    std::string text = trim(line);
    for (char& c : text)
        if (c == ',' || c == '\t')
            c = ' ';
    std::size_t pos = 0;
    int field = 0;
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        if (pos >= text.size())
            break;
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        const std::string_view token(text.data() + pos, end - pos);
        pos = end;
        ++field;
        if (result.count == kMaxNumbersPerLine) {
            result.overflow = true;
            break;
        }
        double value = 0;
        if (!parse_real(token, value) && result.code == 0)
            result.code = field;
        result.values[static_cast<std::size_t>(result.count++)] = value;
    }
    return result;
}

} // namespace kalidos
