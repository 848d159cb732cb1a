// Finding a space-group symbol in the catalogue or the standard list and applying it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "model/structure_model.hpp"
#include "symmetry/catalogue.hpp"
#include "symmetry/group_selection.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// None: nothing was looked up (no crystal system or an empty symbol).
enum class GroupSource { None, Catalogue, Standard, Unknown };

struct GroupLookup {
    GroupSource source = GroupSource::None;
    bool applied = false;   // the operator table holds the group
    GroupFields fields;     // Edit8, Edit9, Edit12
    int catalogueIndex = -1;  // 0-based row of the catalogue list that was applied
    int standardIndex = -1;   // 0-based row of the standard list that was applied
};

// Looks `symbol` up among the rows of model.crystalSystem: catalogue rows first (H-M field
// equal ignoring case, or equal once blanks are removed; Hall field equal once blanks are
// removed), then the standard rows (equal ignoring case, trimmed). The first match is
// applied through selecte_groupe_getspec or selecte_groupe_HM. Otherwise the symbol
// followed by " unknown space group" is shown and spaceGroupSymbol emptied.
// scfs.dat is written in model.startDirectory; spgr2.dat and the .pos files are read from
// dataDirectory.
GroupLookup look_up_and_apply_space_group(StructureModel& model, const std::string& symbol,
                                          const std::filesystem::path& dataDirectory, Messages& messages);

// The same over lists the caller has already read (the dialog shows them).
GroupLookup look_up_and_apply_space_group(StructureModel& model, const std::string& symbol,
                                          const std::vector<CatalogueRow>& catalogueRows,
                                          const std::vector<std::string>& standardRows,
                                          const std::filesystem::path& dataDirectory, Messages& messages);

// The standard row the dialog marks when it fills the list (without applying it): the first
// whose text without trailing blanks equals `symbol` exactly; -1 when none does or the symbol
// is empty.
int marked_standard_row(const std::vector<std::string>& standardRows, const std::string& symbol);

}  // namespace kalidos
