#include "symmetry/catalogue.hpp"

#include <fstream>

#include "symmetry/symbol_text.hpp"
#include "util/data_files.hpp"
#include "util/file_cache.hpp"

namespace kalidos {
namespace {

struct SystemRange {
    const char* code;
    CatalogueRange range;
};

constexpr SystemRange kRanges[] = {
    {"TRIC", {1, 18}},    {"MONO", {19, 178}},  {"ORTH", {179, 370}}, {"TETR", {371, 480}},
    {"HEXA", {481, 547}}, {"RHOM", {548, 556}}, {"CUBI", {558, 637}},
};

// Characters first..last (1-based, inclusive) of a line, trimmed; empty past its end.
std::string field(const std::string& line, std::size_t first, std::size_t last)
{
    if (line.size() < first)
        return {};
    return symtext::trim(line.substr(first - 1, last - first + 1));
}

std::string padded(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

CatalogueRange catalogue_range(const std::string& crystalSystem)
{
    for (const SystemRange& entry : kRanges) {
        if (crystalSystem == entry.code)
            return entry.range;
    }
    return {};
}

CatalogueRow make_catalogue_row(const std::string& hermannMauguin, const std::string& hall,
                                const std::string& number)
{
    CatalogueRow row;
    row.hermannMauguin = symtext::trim(hermannMauguin);
    row.hall = symtext::trim(hall);
    row.number = symtext::trim(number);
    row.text = padded(row.hermannMauguin, 12) + padded(row.hall, 17) + padded(row.number, 3);
    return row;
}

std::vector<CatalogueRow> read_catalogue_rows(const std::filesystem::path& dataDirectory,
                                              const std::string& crystalSystem)
{
    const CatalogueRange range = catalogue_range(crystalSystem);
    if (range.first == 0)
        return {};
    const std::filesystem::path file = find_file_ignoring_case(dataDirectory, kCatalogueFileName);
    return *read_file_once<std::vector<CatalogueRow>>(file, crystalSystem, [&] {
        std::vector<CatalogueRow> rows;
        std::ifstream in(file);
        std::string line;
        for (int number = 1; number <= range.last && std::getline(in, line); ++number) {
            if (number < range.first)
                continue;
            const std::string hermannMauguin = field(line, 6, 17);
            if (!hermannMauguin.empty())
                rows.push_back(make_catalogue_row(hermannMauguin, field(line, 27, 46), field(line, 47, 49)));
        }
        return rows;
    });
}

}  // namespace kalidos
