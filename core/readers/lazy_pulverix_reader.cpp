#include "readers/lazy_pulverix_reader.hpp"

#include "readers/split_numbers.hpp"
#include "readers/system_from_cell.hpp"

namespace kalidos
{

namespace
{

std::string after_first_blank(const std::string& line)
{
    const auto blank = line.find(' ');
    return blank == std::string::npos ? std::string() : line.substr(blank + 1);
}

bool read_lazy_cell(StructureModel& model, const std::string& line)
{
    const SplitNumbers numbers = split_numbers(after_first_blank(line));
    if (numbers.count < 6 || (numbers.code != 0 && numbers.code <= 6))
        return false;
    model.cell.a = numbers[0], model.cell.b = numbers[1], model.cell.c = numbers[2];
    model.cell.alpha = numbers[3], model.cell.beta = numbers[4], model.cell.gamma = numbers[5];
    system_from_cell(model);
    return true;
}

// After "ATOM" and one more character: symbol in characters 1-2, label in 4-5, then
// x, y, z, population and B from character 6 on.
bool store_lazy_atom(StructureModel& model, const std::string& line)
{
    const std::string text = trim(slice(line, line.find("ATOM") + 5));
    const SplitNumbers numbers = split_numbers(slice(text, 5));
    if (numbers.code != 0 || numbers.count < 5)
        return false;
    const int n = ++model.atomCount;
    model.atomSymbol[n] = trim(slice(text, 0, 2));
    model.atomLabel[n] = trim(slice(text, 3, 2));
    model.atomX[n] = numbers[0];
    model.atomY[n] = numbers[1];
    model.atomZ[n] = numbers[2];
    model.atomPopulation[n] = numbers[3];
    model.atomB[n] = numbers[4];
    return true;
}

} // namespace

ReadStatus read_lazy_pulverix_lines(StructureModel& model, const TextLines& lines, Messages& messages)
{
    model.atomCount = 0;
    for (const std::string& line : lines) {
        // A title is only a title, even when it holds one of the other words.
        if (contains(line, "TITLE")) {
            model.title = after_first_blank(line);
            continue;
        }
        if (contains(line, "CELL") && !read_lazy_cell(model, line)) {
            messages.warning("Cell not found");
            return ReadStatus::Failed;
        }
        if (contains(line, "SPCGRP"))
            model.spaceGroupSymbol = short_text(remove_chars(after_first_blank(line), " \t"), kSymbolLength);
        if (!contains(line, "ATOM"))
            continue;
        if (model.atomCount == kMaxAtoms) {
            messages.warning("The number of atoms is > 400!");
            return ReadStatus::Failed;
        }
        if (!store_lazy_atom(model, line)) {
            messages.warning("Read error: " + trim(line));
            return ReadStatus::Failed;
        }
    }
    return ReadStatus::Read;
}

ReadStatus read_lazy_pulverix(StructureModel& model, const std::filesystem::path& file, Messages& messages)
{
    const auto lines = read_text_lines(file, messages);
    if (!lines)
        return ReadStatus::Failed;
    return read_lazy_pulverix_lines(model, *lines, messages);
}

} // namespace kalidos
