// The "Lambda missing" dialog's logic: the wavelengths of a Rietveld diagram file that omits them.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "model/observed.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// One item of the dialog's anode list (ListBox3), with its own values (Fe's differ in order
// from the main window's list).
struct RietveldAnode {
    const char* anode;  // "Mo" ...
    double lambda1;     // Å
    double lambda2;     // Å
    double lambda;      // Å, the mean wavelength proposed in Edit57
};

inline constexpr int kRietveldAnodes = 5;
const std::array<RietveldAnode, kRietveldAnodes>& rietveld_anode_table();

// The dialog's state: its three edits and the anode chosen in the list (-1: none).
struct RietveldLambdaForm {
    std::string edit51;  // λ1, read-only in the dialog
    std::string edit54;  // λ2, read-only in the dialog
    std::string edit57;  // λ, editable
    int anodeItem = -1;
};

// clicklistbox: remembers the anode and shows its λ1, λ2, λ (width 8, 5 decimals).
// An index outside the list does nothing.
void clicklistbox(RietveldLambdaForm& form, int item);

enum class RietveldLambdaOutcome {
    FileUnreadable,  // "Read error in the Rietveld file!" was shown: hide the dialog
    Stay,            // a wavelength did not convert; its message was shown: keep the dialog open
    Accepted,        // the scan's wavelengths are set: hide the dialog, complete the import, redraw
};

// lit_lambda: `rereadFile` reads the Rietveld file into `scan` again (the diagram import's reader)
// and says whether it succeeded. Then Edit57 must be a positive number ("Lambda error!"), Edit51
// and Edit54 numbers, an empty text reading 0 ("Lambda1 error!", "Lambda2 error!"); nothing is
// stored unless all three convert. With an anode chosen: its symbol, λ1, λ2, ratio 0.5;
// without: anode "?", λ1 = λ2 = 0, ratio 1.
RietveldLambdaOutcome lit_lambda(const RietveldLambdaForm& form, const std::function<bool()>& rereadFile,
                                 RawScan& scan, Messages& messages);

}  // namespace kalidos
