#include "diagram_files/text_lines.hpp"

namespace kalidos {

std::string strip_leading_blanks(const std::string& text)
{
    const std::size_t start = text.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::string anode_or_xx(const std::string& anode)
{
    return anode.empty() ? "Xx" : anode;
}

std::vector<std::string> diagram_text_lines(const Workspace& workspace, const std::string& anode,
                                            const std::string& wavelengthLine)
{
    const CalculatedPattern& pattern = workspace.results.pattern;
    const int n = std::min(pattern.pointCount, kPatternPoints);
    // The grid's own first and last angle: the displayed range differs once the view is zoomed.
    const double first = pattern.angles[0], last = pattern.angles[n - 1];
    const double step = n > 1 ? double(pattern.angles[1]) - double(pattern.angles[0]) : 0.0;
    std::vector<std::string> lines{"SIETRONICS XRD SCAN",
                                   strip_leading_blanks(fmt_fixed(first, 7, 3)),
                                   strip_leading_blanks(fmt_fixed(last, 7, 3)),
                                   strip_leading_blanks(fmt_fixed(step, 7, 4)),
                                   anode,
                                   wavelengthLine,
                                   workspace.clock ? workspace.clock() : current_date_time_text(),
                                   "1",
                                   "SampleIdent " + workspace.model.title,
                                   "SCANDATA"};
    for (int i = 0; i < n; ++i)
        lines.push_back(strip_leading_blanks(fmt_fixed(pattern.intensities[i] * 1000.0, 10, 0)));
    return lines;
}

std::string join_lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

}  // namespace kalidos
