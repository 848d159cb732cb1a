// The catalogue spgr2.dat: one group setting per line, lines grouped by crystal system.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kalidos {

// File columns (1-based, inclusive): 6-17 Hermann-Mauguin, 27-46 Hall, 47-49 group number.
inline constexpr const char* kCatalogueFileName = "spgr2.dat";

struct CatalogueRange {
    int first = 0;  // file lines, 1-based, inclusive
    int last = 0;
};

// "TRIC" 1-18, "MONO" 19-178, "ORTH" 179-370, "TETR" 371-480, "HEXA" 481-547,
// "RHOM" 548-556, "CUBI" 558-637; {0, 0} for any other code.
CatalogueRange catalogue_range(const std::string& crystalSystem);

// One row of the catalogue list: the H-M field padded to 12 characters, the Hall field
// padded to 17, the number padded to 3 (32 characters when no field is longer).
struct CatalogueRow {
    std::string text;
    std::string hermannMauguin;  // trimmed
    std::string hall;            // trimmed
    std::string number;          // trimmed
};

CatalogueRow make_catalogue_row(const std::string& hermannMauguin, const std::string& hall,
                                const std::string& number);

// The rows of the system's lines; a line without a symbol gives no row. Empty when the
// system is unknown or the file cannot be read.
std::vector<CatalogueRow> read_catalogue_rows(const std::filesystem::path& dataDirectory,
                                              const std::string& crystalSystem);

}  // namespace kalidos
