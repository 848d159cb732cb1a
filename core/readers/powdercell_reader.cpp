#include "readers/powdercell_reader.hpp"

#include "readers/separate_label_digit.hpp"
#include "readers/split_numbers.hpp"
#include "readers/system_from_cell.hpp"
#include "util/data_files.hpp"

#include <cctype>

namespace kalidos
{

namespace
{

constexpr int kGroupCount = 230;

std::string first_word_upper(const std::string& line)
{
    const auto words = split_words(line);
    return words.empty() ? std::string() : to_upper(words[0]);
}

std::string after_first_word(const std::string& line)
{
    const std::string text = trim_left(line);
    const auto blank = text.find_first_of(" \t");
    return blank == std::string::npos ? std::string() : text.substr(blank);
}

bool read_cel_cell(StructureModel& model, const TextLines& lines)
{
    for (const std::string& line : lines) {
        if (first_word_upper(line) != "CELL")
            continue;
        const SplitNumbers numbers = split_numbers(after_first_word(line));
        if (numbers.count < 6 || (numbers.code != 0 && numbers.code <= 6))
            continue;
        model.cell.a = numbers[0], model.cell.b = numbers[1], model.cell.c = numbers[2];
        model.cell.alpha = numbers[3], model.cell.beta = numbers[4], model.cell.gamma = numbers[5];
        system_from_cell(model);
        return true;
    }
    return false;
}

// Name, then an ignored number (the atomic number), x, y, z and B; with six numbers the fifth is
// the site occupation and the sixth B.
bool store_cel_atom(StructureModel& model, const std::string& line)
{
    const SplitNumbers numbers = split_numbers(after_first_word(line));
    if (numbers.code != 0 || numbers.count < 4)
        return false;
    const int n = ++model.atomCount;
    std::string name = slice(split_words(line)[0], 0, 4);
    separate_label_digit(name);
    model.atomSymbol[n] = trim(slice(name, 0, 2));
    model.atomLabel[n] = trim(slice(name, 2, 2));
    model.atomX[n] = numbers[1];
    model.atomY[n] = numbers[2];
    model.atomZ[n] = numbers[3];
    model.atomPopulation[n] = numbers.count >= 6 ? numbers[4] : 1.0;
    model.atomB[n] = numbers.count >= 6 ? numbers[5] : (numbers.count == 5 ? numbers[4] : 0.0);
    return true;
}

} // namespace

std::string powdercell_default_symbol(const std::string& crystalSystem, long long number)
{
    struct Range {
        const char* system;
        long long first, last;
        const char* symbol;
    };
    static constexpr Range kRanges[] = {{"TRIC", 1, 2, "P1"},     {"MONO", 3, 15, "P2/M"},
                                        {"ORTH", 16, 74, "P222"}, {"TETR", 75, 142, "P422"},
                                        {"HEXA", 143, 194, "P6"}, {"CUBI", 195, 1000000, "P23"}};
    for (const Range& range : kRanges)
        if (crystalSystem == range.system)
            return number >= range.first && number <= range.last ? std::string() : range.symbol;
    return {};
}

namespace
{

// csp.lst line `number`: a whole number, then the symbol in the next 10 characters.
bool symbol_from_csp(const std::filesystem::path& dataDirectory, long long number, std::string& symbol,
                     Messages& messages)
{
    const auto lines = read_text_lines(find_file_ignoring_case(dataDirectory, "csp.lst"), messages);
    if (!lines)
        return false;
    if (number < 1 || static_cast<std::size_t>(number) > lines->size()) {
        messages.warning("Space group " + std::to_string(number) + " is not in csp.lst");
        return false;
    }
    const std::string line = trim_left((*lines)[static_cast<std::size_t>(number - 1)]);
    std::size_t digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits])))
        ++digits;
    symbol = short_text(trim(slice(line, digits, 10)), kSymbolLength);
    return true;
}

ReadStatus read_cel_group(StructureModel& model, const std::string* rgnrLine, const std::string& fileName,
                          const std::filesystem::path& dataDirectory, Messages& messages)
{
    if (rgnrLine == nullptr) {
        messages.warning("No space-group number (RGNR) in the file " + file_name_only(fileName));
        return ReadStatus::Read;
    }
    const auto words = split_words(after_first_word(*rgnrLine));
    long long number = 0;
    if (words.empty() || !parse_integer(words[0], number) || number < 1 || number > kGroupCount) {
        messages.warning("The space-group number of " + file_name_only(fileName) +
                         " is not a number from 1 to 230");
        return ReadStatus::Read;
    }
    std::string symbol;
    if (!symbol_from_csp(dataDirectory, number, symbol, messages))
        return ReadStatus::Failed;
    const std::string fallback = powdercell_default_symbol(model.crystalSystem, number);
    model.spaceGroupSymbol = fallback.empty() ? symbol : fallback;
    return ReadStatus::Read;
}

} // namespace

ReadStatus read_powdercell_lines(StructureModel& model, const TextLines& lines, const std::string& fileName,
                                 const std::filesystem::path& dataDirectory, Messages& messages)
{
    if (!read_cel_cell(model, lines)) {
        messages.warning("Cell parameters not found!");
        return ReadStatus::Failed;
    }
    model.atomCount = 0;
    const std::string* rgnrLine = nullptr;
    for (const std::string& line : lines) {
        const std::string keyword = first_word_upper(line);
        if (keyword.empty() || keyword == "CELL" || keyword == "NATOM")
            continue;
        if (contains(keyword, "RGNR")) {
            rgnrLine = &line;
            break;
        }
        if (model.atomCount == kMaxAtoms) {
            messages.warning("warning! The number of atoms is > 400!");
            return ReadStatus::Failed;
        }
        if (!store_cel_atom(model, line)) {
            messages.warning("Read error: " + trim(line));
            return ReadStatus::Failed;
        }
    }
    return read_cel_group(model, rgnrLine, fileName, dataDirectory, messages);
}

ReadStatus read_powdercell(StructureModel& model, const std::filesystem::path& file,
                           const std::filesystem::path& dataDirectory, Messages& messages)
{
    const auto lines = read_text_lines(file, messages);
    if (!lines)
        return ReadStatus::Failed;
    return read_powdercell_lines(model, *lines, file.string(), dataDirectory, messages);
}

} // namespace kalidos
