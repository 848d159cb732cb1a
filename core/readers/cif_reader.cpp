#include "readers/cif_reader.hpp"

#include <cctype>
#include <optional>

#include "computation/displacement_tensor.hpp"
#include "readers/cif_anisotropic.hpp"
#include "readers/cif_atom_label.hpp"
#include "readers/cif_operators.hpp"
#include "readers/cif_syntax.hpp"
#include "readers/reader_text.hpp"
#include "readers/system_from_cell.hpp"

#include <array>
#include <string_view>

namespace kalidos
{

namespace
{

constexpr std::size_t kTitleLength = 40;
constexpr double kEightPiSquared = 78.95683520871486; // B = 8π²U

std::string first_line_of(const CifValue& value)
{
    if (!value.textField)
        return value.text;
    for (const std::string& line : split_text_lines(value.text))
        if (!trim(line).empty())
            return trim(line);
    return {};
}

void read_title(StructureModel& model, const CifBlockData& block)
{
    static constexpr std::array<std::string_view, 5> kFormulaTags = {
        "_chemical_formula_moiety", "_chemical_formula_structural", "_chemical_formula_analytical",
        "_chemical_formula_sum", "_chemical_formula_iupac"};
    for (std::string_view tag : kFormulaTags) {
        const CifValue* value = block.find(tag);
        if (value == nullptr)
            continue;
        // 'C6 H12 O6' gives C6H12O6.
        const std::string title = remove_chars(short_text(first_line_of(*value), kTitleLength), " \t'\";");
        if (!title.empty() && title != "?") {
            model.title = title;
            return;
        }
    }
}

bool read_cell(StructureModel& model, const CifBlockData& block, Messages& messages)
{
    static constexpr std::array<std::string_view, 6> kCellTags = {"_cell_length_a",   "_cell_length_b",
                                                                  "_cell_length_c",   "_cell_angle_alpha",
                                                                  "_cell_angle_beta", "_cell_angle_gamma"};
    std::array<double, 6> values{};
    for (std::size_t k = 0; k < kCellTags.size(); ++k) {
        const CifValue* value = block.find(kCellTags[k]);
        const bool angle = k >= 3;
        if (value == nullptr && angle) {
            values[k] = 90; // an angle given as "?" or not given is a right angle
            continue;
        }
        if (value == nullptr || !parse_cif_number(value->text, values[k]) || (!angle && values[k] <= 0)) {
            messages.warning("The cell parameter " + std::string(kCellTags[k]) + " is missing or unreadable");
            return false;
        }
    }
    CellParameters& cell = model.cell;
    cell.a = values[0], cell.b = values[1], cell.c = values[2];
    cell.alpha = values[3], cell.beta = values[4], cell.gamma = values[5];
    return true;
}

} // namespace

namespace
{

// The atom-site columns the reader uses; -1 when the loop lacks one.
struct AtomSiteColumns {
    int label = -1, type = -1, x = -1, y = -1, z = -1, u = -1, b = -1, occupancy = -1;
};

AtomSiteColumns atom_site_columns(const CifLoop& loop)
{
    AtomSiteColumns c;
    c.label = loop.column("_atom_site_label");
    c.type = loop.column("_atom_site_type_symbol");
    c.x = loop.column("_atom_site_fract_x");
    c.y = loop.column("_atom_site_fract_y");
    c.z = loop.column("_atom_site_fract_z");
    c.u = loop.column("_atom_site_u_iso_or_equiv");
    c.b = loop.column("_atom_site_b_iso_or_equiv");
    c.occupancy = loop.column("_atom_site_occupancy");
    return c;
}

// A block that gives a single site as plain items instead of a loop.
CifLoop single_site_loop(const CifBlockData& block)
{
    CifLoop loop;
    loop.rows.emplace_back();
    for (const auto& [tag, value] : block.items) {
        if (starts_with(tag, "_atom_site_") && loop.column(tag) < 0) {
            loop.tags.push_back(tag);
            loop.rows[0].push_back(value.text);
        }
    }
    return loop;
}

const std::string* cell_of(const std::vector<std::string>& row, int column)
{
    return column < 0 ? nullptr : &row[static_cast<std::size_t>(column)];
}

// An optional item of a site: `fallback` when the column is absent or the value null ('?', '.');
// none when a value is there but is no finite number.
std::optional<double> number_or(const std::string* text, double fallback)
{
    if (text == nullptr || is_cif_null(*text))
        return fallback;
    double value = 0;
    if (!parse_cif_number(*text, value))
        return std::nullopt;
    return value;
}

// A label whose element is followed by more letters ("Wat29", "OW1", "Oa1") may mean another
// element than the one it starts with.
bool reads_on_after_element(const std::string& label, const std::string& element)
{
    return label.size() > element.size() && std::isalpha(static_cast<unsigned char>(label[element.size()]));
}

bool store_site(StructureModel& model, const std::vector<std::string>& row, const AtomSiteColumns& c,
                std::vector<CifSite>& sites, std::vector<std::string>& guessed, Messages& messages)
{
    const std::string* labelText = cell_of(row, c.label >= 0 ? c.label : c.type);
    const std::string siteLabel = labelText != nullptr ? *labelText : std::string();
    double x = 0, y = 0, z = 0;
    if (!parse_cif_number(*cell_of(row, c.x), x) || !parse_cif_number(*cell_of(row, c.y), y) ||
        !parse_cif_number(*cell_of(row, c.z), z)) {
        messages.warning("Cannot read the coordinates of the atom site " + siteLabel);
        return false;
    }
    const auto u = number_or(cell_of(row, c.u), -1);
    const auto b = number_or(cell_of(row, c.b), 1.0);
    const auto occupancy = number_or(cell_of(row, c.occupancy), 1.0);
    for (const auto& [value, item] : {std::pair{u, "U"}, std::pair{b, "B"}, std::pair{occupancy, "occupancy"}})
        if (!value) {
            messages.warning(std::string("Cannot read the ") + item + " of the atom site " + siteLabel);
            return false;
        }
    const int n = ++model.atomCount;
    const ElementAndLabel fromLabel = element_and_label(siteLabel);
    const std::string* type = cell_of(row, c.type);
    const std::string fromType = type != nullptr && !is_cif_null(*type) ? symbol_from_type_symbol(*type) : "";
    if (fromType.empty() && !fromLabel.decoded)
        messages.warning("cannot decode Label" + fromLabel.element);
    model.atomSymbol[n] = short_text(fromType.empty() ? fromLabel.element : fromType, kAtomSymbolLength);
    model.atomLabel[n] = short_text(fromLabel.label, kAtomLabelLength);
    model.atomSiteLabel[n] = c.label >= 0 ? trim(siteLabel) : std::string();
    if (fromType.empty() && fromLabel.decoded && reads_on_after_element(trim(siteLabel), fromLabel.element))
        guessed.push_back(trim(siteLabel) + " (" + fromLabel.element + ")");
    model.atomX[n] = x;
    model.atomY[n] = y;
    model.atomZ[n] = z;
    model.atomB[n] = *u >= 0 ? kEightPiSquared * *u : *b;
    const std::string* bText = cell_of(row, c.b);
    sites.push_back({siteLabel, *u >= 0 || (bText != nullptr && !is_cif_null(*bText))});
    model.atomPopulation[n] = *occupancy;
    return true;
}

ReadStatus read_atom_sites(StructureModel& model, const CifBlockData& block, Messages& messages)
{
    model.atomCount = 0;
    const CifLoop* found = block.find_loop("_atom_site_fract_x");
    const CifLoop single = found == nullptr ? single_site_loop(block) : CifLoop();
    const CifLoop& loop = found != nullptr ? *found : single;
    const AtomSiteColumns columns = atom_site_columns(loop);
    if (columns.x < 0 || columns.y < 0 || columns.z < 0 || (columns.label < 0 && columns.type < 0) ||
        loop.rows.empty()) {
        messages.warning("No atom site found");
        return ReadStatus::Failed;
    }
    if (loop.tags.size() > static_cast<std::size_t>(kMaxCifAtomSiteColumns)) {
        messages.warning("The atom-site loop has more than 64 columns");
        return ReadStatus::Failed;
    }
    clear_tensors(model);
    std::vector<CifSite> sites;
    std::vector<std::string> guessed;  // elements taken from labels that could mean another
    for (const auto& row : loop.rows) {
        if (model.atomCount == kMaxAtoms) {
            messages.warning("The number of atoms is > 400!");
            return ReadStatus::Failed;
        }
        if (!store_site(model, row, columns, sites, guessed, messages))
            return ReadStatus::Failed;
    }
    if (!guessed.empty()) {
        std::string list;
        for (const std::string& site : guessed)
            list += (list.empty() ? "" : ", ") + site;
        messages.warning("No _atom_site_type_symbol: the elements of the sites " + list +
                         " are taken from their labels; give the type symbols if they are other elements");
    }
    read_cif_tensors(model, block, sites);
    return ReadStatus::Read;
}

} // namespace

ReadStatus read_cif_block(StructureModel& model, const LineViews& blockLines, Messages& messages)
{
    const CifBlockData block = parse_cif_block(blockLines);
    read_title(model, block);
    if (!read_cell(model, block, messages))
        return ReadStatus::Failed;
    if (!read_cif_operators(model, block, messages))
        return ReadStatus::Failed;
    model.spaceGroupSymbol = cif_group_name(block);
    if (model.operatorCount == 0 && model.spaceGroupSymbol.empty()) {
        messages.warning("Vostel cannot find symmetry operators or Space group");
        return ReadStatus::Failed;
    }
    const ReadStatus status = read_atom_sites(model, block, messages);
    if (status == ReadStatus::Read)
        system_from_cell(model);
    return status;
}

ReadStatus read_cif_block(StructureModel& model, const TextLines& blockLines, Messages& messages)
{
    return read_cif_block(model, line_views(blockLines), messages);
}

} // namespace kalidos
