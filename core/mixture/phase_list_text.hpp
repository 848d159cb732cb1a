// How the phase list is written beside a mixture's diagram: legends, printed page, column files.
#pragma once

#include <string>
#include <vector>

namespace kalidos {

struct PhaseListItem {
    std::string name;
    double fraction = 0;  // weight fraction of the whole
    double su = 0;        // its standard uncertainty after a fit; 0: none
};

// "quartz.cif  w = 0.3000"; after a fit with its uncertainty, "quartz.cif  w = 0.298(4)".
std::string phase_list_text(const PhaseListItem& item);

// One comment line per phase, "# phase 1: quartz.cif  w = 0.3000", for the head of a column file.
std::string phase_list_comment(const std::vector<PhaseListItem>& items);

}  // namespace kalidos
