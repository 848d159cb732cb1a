#include "symmetry/space_group_lookup.hpp"

#include "symmetry/standard_settings.hpp"
#include "symmetry/symbol_text.hpp"

namespace kalidos {
namespace {

// The H-M field equal as written or once blanks are removed (imported files drop the
// blanks; the catalogue's H-M texts are unique without them), or the Hall field equal once
// blanks are removed; case is ignored throughout.
bool catalogue_row_matches(const CatalogueRow& row, const std::string& symbol, const std::string& compact)
{
    return symtext::equal_ignoring_case(row.hermannMauguin, symbol) ||
           symtext::equal_ignoring_case(symtext::without_blanks(row.hermannMauguin), compact) ||
           symtext::equal_ignoring_case(symtext::without_blanks(row.hall), compact);
}

GroupLookup from_selection(GroupSource source, const SelectionResult& selection)
{
    GroupLookup lookup;
    lookup.source = source;
    lookup.applied = selection.applied;
    lookup.fields = selection.fields;
    return lookup;
}

}  // namespace

GroupLookup look_up_and_apply_space_group(StructureModel& model, const std::string& symbol,
                                          const std::filesystem::path& dataDirectory, Messages& messages)
{
    if (model.crystalSystem.empty() || symtext::trim(symbol).empty())
        return {};
    return look_up_and_apply_space_group(model, symbol, read_catalogue_rows(dataDirectory, model.crystalSystem),
                                         read_standard_symbols(dataDirectory, model.crystalSystem), dataDirectory,
                                         messages);
}

GroupLookup look_up_and_apply_space_group(StructureModel& model, const std::string& symbol,
                                          const std::vector<CatalogueRow>& catalogueRows,
                                          const std::vector<std::string>& standardRows,
                                          const std::filesystem::path& dataDirectory, Messages& messages)
{
    const std::string wanted = symtext::trim(symbol);
    if (model.crystalSystem.empty() || wanted.empty())
        return {};
    const std::string compact = symtext::without_blanks(wanted);
    for (std::size_t i = 0; i < catalogueRows.size(); ++i) {
        if (catalogue_row_matches(catalogueRows[i], wanted, compact)) {
            GroupLookup lookup =
                from_selection(GroupSource::Catalogue, selecte_groupe_getspec(model, catalogueRows[i], messages));
            lookup.catalogueIndex = static_cast<int>(i);
            return lookup;
        }
    }
    for (std::size_t i = 0; i < standardRows.size(); ++i) {
        if (symtext::equal_ignoring_case(symtext::trim(standardRows[i]), wanted)) {
            GroupLookup lookup = from_selection(
                GroupSource::Standard, selecte_groupe_HM(model, standardRows[i], dataDirectory, messages));
            lookup.standardIndex = static_cast<int>(i);
            return lookup;
        }
    }
    messages.warning(wanted + " unknown space group");
    model.spaceGroupSymbol.clear();
    GroupLookup lookup;
    lookup.source = GroupSource::Unknown;
    return lookup;
}

int marked_standard_row(const std::vector<std::string>& standardRows, const std::string& symbol)
{
    if (symbol.empty())
        return -1;
    for (std::size_t i = 0; i < standardRows.size(); ++i) {
        if (symtext::trim_right(standardRows[i]) == symbol)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace kalidos
