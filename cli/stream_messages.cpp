#include "stream_messages.hpp"

#include <fstream>

namespace kalidos::batch {

std::string one_line(const std::string& text)
{
    std::string line;
    for (const char c : text)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

void StreamMessages::warning(const std::string& text)
{
    const std::string line = one_line(text);
    texts_.push_back(line);
    out_ << line << '\n' << std::flush;
}

Answer StreamMessages::ask(const std::string& text)
{
    const Answer answer = overwrite_ ? Answer::Yes : Answer::No;
    warning(one_line(text) + (overwrite_ ? " Yes" : " No"));
    return answer;
}

bool write_to(const std::string& target, const std::string& text, StreamMessages& messages, std::ostream& standardOutput)
{
    if (target == "-") {
        standardOutput << text;
        return static_cast<bool>(standardOutput.flush());
    }
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    if (file << text && file.flush())
        return true;
    messages.note("Cannot write " + target);
    return false;
}

}  // namespace kalidos::batch
