#include "computation/displacement_tensor.hpp"
#include "readers/shelx_common.hpp"
#include "readers/shelx_readers.hpp"
#include "readers/shelx_symmetry.hpp"
#include "readers/split_numbers.hpp"
#include "readers/system_from_cell.hpp"

#include <cctype>
#include <cmath>
#include <vector>

namespace kalidos
{

namespace
{

// What the lines before the atoms say: SFAC names, free variables and symmetry.
struct ShelxHeader {
    std::vector<std::string> sfac;
    std::vector<double> freeVariables;
    ShelxSymmetry symmetry;
    std::size_t atomStart = 0; // index of the first line of the atom pass
};

std::string keyword_of(const std::string& line)
{
    return trim(to_upper(slice(line, 0, 4)));
}

std::string rest_of(const std::string& line)
{
    return slice(line, 4);
}

bool read_title_and_cell(StructureModel& model, const TextLines& lines, std::size_t& cellLine)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string key = slice(lines[i], 0, 4);
        if (key == "TITL")
            model.title = trim(rest_of(lines[i]));
        if (key != "CELL")
            continue;
        const SplitNumbers numbers = split_numbers(rest_of(lines[i]));
        if (numbers.count < 7 || (numbers.code != 0 && numbers.code <= 7))
            return false;
        model.cell.a = numbers[1], model.cell.b = numbers[2], model.cell.c = numbers[3];
        model.cell.alpha = numbers[4], model.cell.beta = numbers[5], model.cell.gamma = numbers[6];
        cellLine = i;
        return true;
    }
    return false;
}

void read_sfac(const std::string& rest, std::vector<std::string>& sfac)
{
    const std::vector<std::string> words = split_words(rest);
    double number = 0;
    // The long form gives one element followed by its own scattering coefficients.
    if (words.size() > 1 && parse_real(words[1], number)) {
        sfac.push_back(words[0]);
        return;
    }
    sfac.insert(sfac.end(), words.begin(), words.end());
}

ShelxHeader read_shelx_header(const TextLines& lines, std::size_t cellLine)
{
    ShelxHeader header;
    bool fvarFound = false;
    header.atomStart = cellLine + 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string key = keyword_of(lines[i]);
        if (key == "SFAC")
            read_sfac(rest_of(lines[i]), header.sfac);
        else if (key == "LATT") {
            const SplitNumbers numbers = split_numbers(rest_of(lines[i]));
            // LATT n with |n| from 1 (primitive) to 7 (C-centred); anything else is not a lattice.
            if (numbers.count >= 1 && numbers.code == 0 && std::fabs(numbers[0]) <= 7 && numbers[0] != 0)
                header.symmetry.latt = static_cast<int>(std::lround(numbers[0]));
        } else if (key == "SYMM") {
            if (auto op = parse_shelx_symm(rest_of(lines[i])))
                header.symmetry.symm.push_back(*op);
        } else if (key == "FVAR") {
            const SplitNumbers numbers = split_numbers(rest_of(lines[i]));
            for (int k = 0; k < numbers.count && numbers.code == 0; ++k)
                header.freeVariables.push_back(numbers[k]);
            if (!fvarFound)
                header.atomStart = i + 1;
            fvarFound = true;
        }
    }
    return header;
}

bool ends_atom_list(const std::string& line)
{
    const std::string key = keyword_of(line);
    return to_upper(trim(line)) == "END" || key == "HKLF" || key == "COND";
}

// Q peaks of a difference map are named Q followed by their number: they are not atoms.
bool is_peak_name(const std::string& name)
{
    return name.size() >= 2 && (name[0] == 'Q' || name[0] == 'q') &&
           std::isdigit(static_cast<unsigned char>(name[1]));
}

// Joins continuation lines ("=") and separates numbers written against each other ("0.500-0.250").
std::string joined_atom_text(const TextLines& lines, std::size_t& i)
{
    std::string text = lines[i];
    std::size_t equals = text.find('=');
    while (equals != std::string::npos && i + 1 < lines.size()) {
        text = text.substr(0, equals) + " " + lines[++i];
        equals = text.find('=');
    }
    if (equals != std::string::npos)
        text.erase(equals);
    std::string out;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '-' && k > 0 && std::isdigit(static_cast<unsigned char>(text[k - 1])))
            out.push_back(' ');
        out.push_back(text[k]);
    }
    return out;
}

} // namespace

namespace
{

// ShelX's default isotropic U (Å²) for an atom line that gives none.
constexpr double kDefaultU = 0.05;

struct AtomPass {
    const ShelxHeader& header;
    std::vector<SymmetryOperator> operators;
    double parentB = 0; // B of the last atom that is not hydrogen, for riding U (negative values)
};

bool resolve_all(const SplitNumbers& numbers, const std::vector<double>& fv, std::array<double, 12>& out)
{
    for (int k = 0; k < numbers.count; ++k)
        if (!resolve_free_variable(numbers[k], fv, out[static_cast<std::size_t>(k)]))
            return false;
    return true;
}

double atom_b(const StructureModel& model, const SplitNumbers& numbers, const std::array<double, 12>& v,
              double parentB)
{
    if (numbers.count <= 5)
        return kShelxEightPiSquared * kDefaultU;
    if (numbers.count == 6)
        return v[5] < 0 ? -v[5] * parentB : kShelxEightPiSquared * v[5];
    double u[6] = {};
    for (int k = 5; k < numbers.count && k < 11; ++k)
        u[k - 5] = v[static_cast<std::size_t>(k)];
    return b_from_anisotropic_u(model.cell, u);
}

void store_atom(StructureModel& model, AtomPass& pass, const std::string& name, const SplitNumbers& numbers,
                const std::array<double, 12>& v)
{
    const int n = ++model.atomCount;
    set_shelx_atom_name(model, n, name);
    const double sfacNumber = numbers[0];
    const auto& sfac = pass.header.sfac;
    if (sfacNumber >= 1 && sfacNumber <= static_cast<double>(sfac.size()) &&
        sfacNumber == std::floor(sfacNumber))
        model.atomSymbol[n] =
            short_text(to_upper(sfac[static_cast<std::size_t>(sfacNumber) - 1]), kAtomSymbolLength);
    model.atomX[n] = v[1];
    model.atomY[n] = v[2];
    model.atomZ[n] = v[3];
    const double occupancy = numbers.count >= 5 ? v[4] : 1.0;
    model.atomPopulation[n] = occupancy * shelx_site_factor(pass.operators, v[1], v[2], v[3]);
    model.atomB[n] = atom_b(model, numbers, v, pass.parentB);
    if (numbers.count >= 11) {
        const double u[6] = {v[5], v[6], v[7], v[8], v[9], v[10]};
        model.atomAnisotropic[n] = shelx_tensor(u);
    }
    if (model.atomSymbol[n] != "H" && model.atomSymbol[n] != "D")
        pass.parentB = model.atomB[n];
}

ReadStatus read_error(StructureModel& model, Messages& messages, const std::string& text)
{
    messages.warning(text);
    model.atomCount = 0;
    model.structureFileName.clear();
    return ReadStatus::Failed;
}

ReadStatus read_atoms(StructureModel& model, const TextLines& lines, AtomPass& pass, Messages& messages)
{
    for (std::size_t i = pass.header.atomStart; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (trim(line).empty() || line[0] == ' ' || line[0] == '\t' || line[0] == '+')
            continue; // blank lines, continuations of instructions, included files
        if (ends_atom_list(line))
            break;
        const std::vector<std::string> words = split_words(line);
        if (is_shelx_instruction(keyword_of(line)) || is_peak_name(words[0])) {
            if (line.find('=') != std::string::npos)
                joined_atom_text(lines, i);
            continue;
        }
        const std::string text = joined_atom_text(lines, i);
        const std::string name = words[0];
        const SplitNumbers numbers = split_numbers(slice(trim_left(text), name.size()));
        std::array<double, 12> values{};
        if (numbers.code != 0 || numbers.count < 4)
            return read_error(model, messages, "read error: " + trim(line));
        if (!resolve_all(numbers, pass.header.freeVariables, values))
            return read_error(model, messages, "read error: undefined free variable in " + trim(line));
        if (model.atomCount == kMaxAtoms) {
            messages.warning("The number of atoms is > 400!");
            return ReadStatus::Failed;
        }
        store_atom(model, pass, name, numbers, values);
    }
    return ReadStatus::Read;
}

} // namespace

ReadStatus read_shelx_instructions_lines(StructureModel& model, const TextLines& lines,
                                         const std::string& fileName, Messages& messages)
{
    std::size_t cellLine = 0;
    if (!read_title_and_cell(model, lines, cellLine)) {
        messages.warning("Cell not found in " + file_name_only(fileName));
        return ReadStatus::Failed;
    }
    system_from_cell(model);
    const ShelxHeader header = read_shelx_header(lines, cellLine);
    AtomPass pass{header, expand_shelx_symmetry(header.symmetry)};
    model.atomCount = 0;
    clear_tensors(model);
    return read_atoms(model, lines, pass, messages);
}

ReadStatus read_shelx_instructions(StructureModel& model, const std::filesystem::path& file,
                                   Messages& messages)
{
    const auto lines = read_text_lines(file, messages);
    if (!lines)
        return ReadStatus::Failed;
    return read_shelx_instructions_lines(model, *lines, file.string(), messages);
}

} // namespace kalidos
