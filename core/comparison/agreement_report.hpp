// The figures of a comparison as the results list, fstr.out and the diagram's legend show them.
#pragma once

#include <string>
#include <vector>

#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// The short section of one agreement: file and scan, points and parameters, the fitted
// values with their standard uncertainties in parentheses (value_su_text), and the R factors in
// percent.
std::vector<std::string> agreement_lines(const Agreement& agreement);

// One line for the diagram's legend: "Rp= 8.12%  Rwp=10.40%  Rexp= 2.10%  Chi2=24.53".
std::string agreement_legend(const Agreement& agreement);

// Appends the sections of `agreements` to the results list and to fstr.out in the start
// directory (created when absent). False, with a message, when fstr.out cannot be written.
bool report_agreements(Workspace& workspace, const std::vector<Agreement>& agreements, Messages& messages);

}  // namespace kalidos
