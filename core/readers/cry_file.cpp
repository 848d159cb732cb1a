#include "readers/cry_file.hpp"

#include "readers/profile_companion.hpp"
#include "readers/split_numbers.hpp"
#include "util/pascal_format.hpp"

#include <fstream>
#include <sstream>

namespace kalidos
{

namespace
{

constexpr int kCryHeaderLines = 4; // title, system, group, cell

void read_cry_header(StructureModel& model, const TextLines& lines)
{
    model.title = lines[0];
    model.crystalSystem = crystal_system_code(to_upper(slice(lines[1], 0, 4)));
    model.spaceGroupSymbol = trim(slice(lines[2], 0, kSymbolLength));
}

bool read_cry_cell(StructureModel& model, const std::string& line)
{
    const SplitNumbers numbers = split_numbers(line);
    if (numbers.count < 6 || (numbers.code != 0 && numbers.code <= 6))
        return false;
    CellParameters& cell = model.cell;
    cell.a = numbers[0], cell.b = numbers[1], cell.c = numbers[2];
    cell.alpha = numbers[3], cell.beta = numbers[4], cell.gamma = numbers[5];
    return true;
}

// Symbol in columns 1-4, label in 5-6, then x, y, z, B and population separated by blanks.
bool read_cry_atom(StructureModel& model, int n, const std::string& line)
{
    const SplitNumbers numbers = split_numbers(slice(line, 6));
    if (numbers.count < 5 || (numbers.code != 0 && numbers.code <= 5))
        return false;
    model.atomSymbol[n] = trim(slice(line, 0, 4));
    model.atomLabel[n] = trim(slice(line, 4, 2));
    model.atomX[n] = numbers[0];
    model.atomY[n] = numbers[1];
    model.atomZ[n] = numbers[2];
    model.atomB[n] = numbers[3];
    model.atomPopulation[n] = numbers[4];
    return true;
}

std::string read_error(int lineNumber, const std::string& fileName)
{
    return "Read error in line " + std::to_string(lineNumber) + " of " + file_name_only(fileName);
}

} // namespace

ReadStatus read_cry_lines(StructureModel& model, const TextLines& lines, const std::string& fileName,
                          Messages& messages)
{
    if (lines.size() < kCryHeaderLines) {
        messages.warning("The file " + file_name_only(fileName) + " is incomplete");
        return ReadStatus::Failed;
    }
    read_cry_header(model, lines);
    if (!read_cry_cell(model, lines[3])) {
        messages.warning(read_error(4, fileName));
        return ReadStatus::Failed;
    }
    model.atomCount = 0;
    for (std::size_t i = kCryHeaderLines; i < lines.size(); ++i) {
        if (trim(lines[i]).empty())
            continue; // blank lines (usually at the end) hold no atom
        if (model.atomCount == kMaxAtoms) {
            messages.warning("The number of atoms is > 400!");
            return ReadStatus::Failed;
        }
        if (!read_cry_atom(model, model.atomCount + 1, lines[i])) {
            messages.warning(read_error(static_cast<int>(i) + 1, fileName));
            return ReadStatus::Failed;
        }
        ++model.atomCount;
    }
    return ReadStatus::Read;
}

ReadStatus read_cry_file(StructureModel& model, const std::filesystem::path& file, Messages& messages)
{
    const auto lines = read_text_lines(file, messages);
    if (!lines)
        return ReadStatus::Failed;
    const ReadStatus status = read_cry_lines(model, *lines, file.string(), messages);
    if (status == ReadStatus::Read)
        read_profile_companion(model, file, messages);
    return status;
}

namespace
{

// A number wider than its field would run into its neighbour; a blank keeps them apart.
std::string field(double value, int width, int decimals)
{
    std::string text = fmt_fixed(value, width, decimals);
    if (text.empty() || text.front() != ' ')
        text.insert(0, " ");
    return text;
}

std::string padded(const std::string& text, std::size_t width)
{
    std::string out = slice(text, 0, width);
    out.resize(width, ' ');
    return out;
}

} // namespace

std::string format_cry_text(const StructureModel& model)
{
    const char* eol = "\r\n";
    const CellParameters& cell = model.cell;
    std::ostringstream out;
    out << model.title << eol << model.crystalSystem << eol << model.spaceGroupSymbol << eol;
    out << field(cell.a, 9, 4) << field(cell.b, 9, 4) << field(cell.c, 9, 4) << field(cell.alpha, 8, 3)
        << field(cell.beta, 8, 3) << field(cell.gamma, 8, 3) << eol;
    for (int n = 1; n <= model.atomCount; ++n) {
        out << padded(model.atomSymbol[n], 4) << padded(model.atomLabel[n], 2) << ' '
            << field(model.atomX[n], 10, 6) << field(model.atomY[n], 10, 6) << field(model.atomZ[n], 10, 6)
            << field(model.atomB[n], 9, 3) << field(model.atomPopulation[n], 9, 4) << eol;
    }
    return out.str();
}

namespace
{

bool incomplete(const StructureModel& model)
{
    const CellParameters& c = model.cell;
    return c.a * c.b * c.c * c.alpha * c.beta * c.gamma == 0 || model.spaceGroupSymbol.empty() ||
           model.atomCount == 0;
}

// The .cry layout has one B per atom: a saved tensor is lost, and the user is told so.
void tell_tensors_written_as_b_eq(const StructureModel& model, Messages& messages)
{
    int tensors = 0;
    for (int n = 1; n <= model.atomCount; ++n)
        tensors += model.atomAnisotropic[n].present ? 1 : 0;
    if (tensors > 0)
        messages.warning("The anisotropic displacement of " + std::to_string(tensors) +
                         (tensors == 1 ? " atom is" : " atoms are") +
                         " written as B_eq: the .cry file has no place for the tensors");
}

} // namespace

SaveResult save_structure_file(StructureModel& model, const std::string& chosenPath, Messages& messages)
{
    if (incomplete(model)) {
        beep_and_warn(messages, "Incomplete Data!");
        return {SaveStatus::Incomplete, {}};
    }
    std::filesystem::path directory = model.startDirectory;
    if (!chosenPath.empty()) {
        model.structureFileName = chosenPath;
        directory = std::filesystem::path(chosenPath).parent_path();
    }
    if (model.structureFileName.empty())
        return {SaveStatus::NoFileName, {}};
    model.structureFileName = file_name_only(model.structureFileName);
    if (!contains(model.structureFileName, ".cry"))
        model.structureFileName += ".cry";
    const std::filesystem::path target = directory / model.structureFileName;
    if (std::filesystem::exists(target)) {
        messages.beep();
        if (messages.ask("This file already exists. Do you want to continue?") != Answer::Yes)
            return {SaveStatus::NotOverwritten, {}};
    }
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << format_cry_text(model);
    if (!out) {
        messages.warning("Cannot write the file " + model.structureFileName);
        return {SaveStatus::CannotWrite, {}};
    }
    tell_tensors_written_as_b_eq(model, messages);
    out.close();
    if (!write_profile_companion(model, target, messages))
        return {SaveStatus::CannotWrite, {}};
    model.openedFileName = target.string();  // the structure is now the user's .cry file
    return {SaveStatus::Saved, target};
}

} // namespace kalidos
