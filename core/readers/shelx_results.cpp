#include "computation/displacement_tensor.hpp"
#include "readers/shelx_common.hpp"
#include "readers/shelx_readers.hpp"
#include "readers/split_numbers.hpp"
#include "readers/system_from_cell.hpp"

namespace kalidos
{

namespace
{

// The two forms of the atom listing of an older result file.
struct ListingForm {
    const char* pairWord;     // searched with "ATOM" on one line
    const char* header;       // the full header text
    std::size_t linesSkipped; // lines after each atom line
};

constexpr ListingForm kXyzForm{"x         y         z", "ATOM           x         y         z", 2};
constexpr ListingForm kXaForm{"X/A", "ATOM      X/A", 1};

void read_results_cell(StructureModel& model, const TextLines& lines)
{
    for (const std::string& line : lines) {
        if (slice(line, 0, 5) != " CELL")
            continue;
        const SplitNumbers numbers = split_numbers(slice(line, 5));
        if (numbers.count >= 7 && (numbers.code == 0 || numbers.code > 7)) {
            model.cell.a = numbers[1], model.cell.b = numbers[2], model.cell.c = numbers[3];
            model.cell.alpha = numbers[4], model.cell.beta = numbers[5], model.cell.gamma = numbers[6];
            system_from_cell(model);
        }
        return;
    }
}

const ListingForm* find_listing_form(const TextLines& lines)
{
    for (const std::string& line : lines) {
        if (!contains(line, "ATOM"))
            continue;
        if (contains(line, kXyzForm.pairWord))
            return &kXyzForm;
        if (contains(line, kXaForm.pairWord))
            return &kXaForm;
    }
    return nullptr;
}

// The table rows: character 1 ignored, 2-5 the name, then x, y, z, occupation and six U values.
ReadStatus read_listing_atoms(StructureModel& model, const TextLines& lines, std::size_t headerLine,
                              const ListingForm& form, Messages& messages)
{
    model.atomCount = 0;
    clear_tensors(model);
    for (std::size_t i = headerLine + 2; i < lines.size(); i += 1 + form.linesSkipped) {
        const std::string& line = lines[i];
        const std::string name = slice(line, 1, 4);
        if (line.empty() || (line[0] == ' ' && trim(name).empty()))
            break;
        const std::string numbersText = slice(line, 5);
        const SplitNumbers numbers = split_numbers(numbersText);
        if (numbers.code != 0) {
            messages.warning("error " + trim(numbersText) + " " + trim(name));
            return ReadStatus::Failed;
        }
        if (model.atomCount == kMaxAtoms) {
            messages.warning("The number of atoms is > 400!");
            return ReadStatus::Failed;
        }
        const int n = ++model.atomCount;
        model.atomX[n] = numbers[0];
        model.atomY[n] = numbers[1];
        model.atomZ[n] = numbers[2];
        model.atomPopulation[n] = numbers[3];
        set_shelx_atom_name(model, n, name);
        const double u[6] = {numbers[4], numbers[5], numbers[6], numbers[7], numbers[8], numbers[9]};
        model.atomB[n] = b_from_anisotropic_u(model.cell, u);
        model.atomAnisotropic[n] = shelx_tensor(u);
    }
    return ReadStatus::Read;
}

} // namespace

ReadStatus read_shelx_results_lines(StructureModel& model, const TextLines& lines,
                                    const std::string& fileName, Messages& messages)
{
    const ListingForm* form = find_listing_form(lines);
    if (form == nullptr)
        return read_shelx_instructions_lines(model, lines, fileName, messages);
    read_results_cell(model, lines);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (contains(lines[i], form->header))
            return read_listing_atoms(model, lines, i, *form, messages);
    messages.warning("No detected atom in the file " + file_name_only(fileName));
    return ReadStatus::Failed;
}

ReadStatus read_shelx_results(StructureModel& model, const std::filesystem::path& file, Messages& messages)
{
    const auto lines = read_text_lines(file, messages);
    if (!lines)
        return ReadStatus::Failed;
    return read_shelx_results_lines(model, *lines, file.string(), messages);
}

} // namespace kalidos
