// The lines shared by the CPI and CPD writers.
#pragma once

#include <string>
#include <vector>

#include "model/workspace.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {

std::string strip_leading_blanks(const std::string& text);

// The anode symbol, or "Xx" when the radiation was not chosen from an anode line.
std::string anode_or_xx(const std::string& anode);

// Lines 1..10 and one line per calculated point, with the given anode (line 5) and
// wavelength line (line 6).
std::vector<std::string> diagram_text_lines(const Workspace& workspace, const std::string& anode,
                                            const std::string& wavelengthLine);

// The lines as the file holds them, each ended by CR LF as the programs reading these files expect.
std::string join_lines(const std::vector<std::string>& lines);

}  // namespace kalidos
