#include "comparison/agreement_report.hpp"

#include <filesystem>
#include <fstream>

#include "computation/listing_files.hpp"
#include "util/pascal_format.hpp"
#include "util/su_text.hpp"

namespace kalidos {
namespace {

std::string percent(double r) { return fmt_fixed(100 * r, 5, 2) + "%"; }

}  // namespace

std::vector<std::string> agreement_lines(const Agreement& a)
{
    std::vector<std::string> lines;
    lines.push_back("Agreement with " + a.fileName + " (scan " + std::to_string(a.scan + 1) + ")");
    lines.push_back("Points: " + std::to_string(a.points) + "  Parameters: " + std::to_string(a.parameters));
    lines.push_back("Scale     : " + value_su_text(a.scale.value, a.scale.su));
    if (a.zeroShift.su > 0)
        lines.push_back("Zero shift: " + value_su_text(a.zeroShift.value, a.zeroShift.su) + " deg 2Theta");
    std::string background = "Background: Chebyshev, 2Theta " + fmt_fixed(a.interval.low, 0, 3) + ".." +
                             fmt_fixed(a.interval.high, 0, 3) + ":";
    for (const FittedValue& c : a.background)
        background += " " + value_su_text(c.value, c.su);
    lines.push_back(background);
    lines.push_back("Rp=" + percent(a.rp) + "  Rwp=" + percent(a.rwp) + "  Rexp=" + percent(a.rexp) +
                    "  Chi2=" + fmt_general(a.chi2, 5));
    return lines;
}

std::string agreement_legend(const Agreement& a)
{
    return "Rp=" + percent(a.rp) + "  Rwp=" + percent(a.rwp) + "  Rexp=" + percent(a.rexp) + "  Chi2=" +
           fmt_general(a.chi2, 5);
}

bool report_agreements(Workspace& workspace, const std::vector<Agreement>& agreements, Messages& messages)
{
    std::vector<std::string> section;
    for (const Agreement& a : agreements) {
        section.emplace_back();
        const std::vector<std::string> lines = agreement_lines(a);
        section.insert(section.end(), lines.begin(), lines.end());
    }
    std::vector<std::string>& list = workspace.results.resultsList;
    list.insert(list.end(), section.begin(), section.end());
    if (workspace.model.scratchInMemory) {
        for (const std::string& line : section)
            workspace.briefListing += line + '\n';
        return true;
    }
    const std::filesystem::path path = std::filesystem::path(workspace.model.startDirectory) / kShortListingName;
    std::ofstream out(path, std::ios::app);
    for (const std::string& line : section)
        out << line << '\n';
    if (!out.flush()) {
        beep_and_warn(messages, "Cannot write the comparison into " + path.string());
        return false;
    }
    return true;
}

}  // namespace kalidos
