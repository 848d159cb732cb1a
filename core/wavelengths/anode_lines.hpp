// The main window's anode-line list (ListBox4) and its choice, set_lambda.
#pragma once

#include <array>
#include <string>

#include "model/workspace.hpp"

namespace kalidos {

struct AnodeLine {
    const char* item;  // text of the list item
    double lambda;     // Å; 0 for the dialog item and the empty last item
};

inline constexpr int kAnodeListItems = 22;
inline constexpr int kMultipleWavelengthsItem = 0;  // "Multiple W.L." opens the composition dialog

// The 22 items in list order: "Multiple W.L.", Mo, Cu, Co, Fe, Cr lines (Ka1, Ka2, mean Ka, Kb),
// then an empty item. The Fe Ka2 value is smaller than Ka1, as the list holds it.
const std::array<AnodeLine, kAnodeListItems>& anode_line_table();

enum class AnodeChoice {
    Ignored,          // the empty last item or an index outside the list: nothing changed
    OpenComposition,  // "Multiple W.L.": the caller shows the composition dialog
    LineChosen,       // one line: the caller puts edit11Text into Edit11 and re-reads the entries
};

struct AnodeOutcome {
    AnodeChoice choice = AnodeChoice::Ignored;
    std::string edit11Text;  // λ width 8, 5 decimals (LineChosen only)
};

// set_lambda of the main window, for list item `item` (0-based). Except for Ignored it empties
// the anomalous grid (clear_anomalous_grid), zeroes every f' and f'' and empties the set; the
// caller clears the displayed results. A line then becomes the single wavelength of weight 1,
// sets `anodeSymbol` (its first two letters) and, when the upper 2θ limit is set, the Q limits
// from the 2θ limits, and the grid is rewritten for it. After LineChosen the window puts
// edit11Text into Edit11, then runs read_entries and show_range.
AnodeOutcome set_lambda(Workspace& workspace, int item);

}  // namespace kalidos
