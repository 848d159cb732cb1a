// Applying a group picked in one of the two lists: catalogue (interpreter) or standard (.pos).
#pragma once

#include <filesystem>
#include <string>

#include "model/structure_model.hpp"
#include "symmetry/catalogue.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// The texts the main window shows for the group: Edit8 (H-M), Edit9 (Hall), Edit12 (number).
struct GroupFields {
    std::string hermannMauguin;
    std::string hall;
    std::string number;
};

struct SelectionResult {
    bool applied = false;  // the operator table now holds the group
    GroupFields fields;
};

// Catalogue row: symbolNotation := "HALL", spaceGroupSymbol and latticeLetter from the row,
// scfs2.dat and scfs.dat removed from model.startDirectory, the interpreter run, scfs.dat
// read, centring added and the texts built. A symbol the interpreter does not know is
// reported (symbol + " unknown space group"), spaceGroupSymbol emptied and the table cleared.
SelectionResult selecte_groupe_getspec(StructureModel& model, const CatalogueRow& row, Messages& messages);

// Standard row: symbolNotation := "HM"; the block of the system's .pos file in
// dataDirectory is read, completed by inversion when its flag says so, centred, and the
// texts built. Edit9 and Edit12 are empty. A missing file or block is reported and the
// previous operators stay.
SelectionResult selecte_groupe_HM(StructureModel& model, const std::string& row,
                                  const std::filesystem::path& dataDirectory, Messages& messages);

}  // namespace kalidos
