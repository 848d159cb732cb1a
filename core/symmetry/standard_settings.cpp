#include "symmetry/standard_settings.hpp"

#include <fstream>
#include <vector>

#include "symmetry/symbol_text.hpp"
#include "util/data_files.hpp"
#include "util/file_cache.hpp"

namespace kalidos {
namespace {

struct TranslationPattern {
    const char* text;
    double value;
};

// Tried in this order; the first that occurs gives the translation. Four blanks stand for 0.
constexpr TranslationPattern kTranslations[] = {
    {"    ", 0},         {"+1/2", 0.5},        {"+1/3", 0.3333333},  {"+2/3", 0.6666667},
    {"+1/4", 0.25},      {"+3/4", 0.75},       {"+1/6", 0.166667},   {"+5/6", 0.83333},
    {"-1/2", -0.5},      {"-1/3", -0.3333333}, {"-2/3", -0.6666667}, {"-1/4", -0.25},
    {"-3/4", -0.75},     {"-1/6", -0.166667},  {"-5/6", -0.83333},
};

struct RotationForm {
    const char* text;
    double r[3];
};

constexpr RotationForm kForms[] = {
    {"X", {1, 0, 0}},  {"Y", {0, 1, 0}},  {"Z", {0, 0, 1}},   {"-X", {-1, 0, 0}},
    {"-Y", {0, -1, 0}}, {"-Z", {0, 0, -1}}, {"X-Y", {1, -1, 0}}, {"Y-X", {-1, 1, 0}},
};

bool read_trimmed(std::istream& in, std::string& line)
{
    if (!std::getline(in, line))
        return false;
    line = symtext::trim(line);
    return true;
}

bool read_count(std::istream& in, long long& value)
{
    std::string line;
    return read_trimmed(in, line) && symtext::parse_whole(line, value);
}

// One operator line "x,y,z" (any case) to an operator; false when a coordinate is unreadable.
bool parse_operator_text(const std::string& line, SymmetryOperator& op)
{
    const std::string text = symtext::upper(line);
    const std::size_t first = text.find(',');
    const std::size_t second = first == std::string::npos ? first : text.find(',', first + 1);
    if (second == std::string::npos)
        return false;
    const std::string parts[3] = {text.substr(0, first), text.substr(first + 1, second - first - 1),
                                  text.substr(second + 1)};
    for (int i = 0; i < 3; ++i) {
        OperatorRow row;
        if (!parse_standard_coordinate(parts[i], row))
            return false;
        set_row(op, i, row);
    }
    return true;
}

struct Block {
    long long inversionFlag = 0;
    std::vector<SymmetryOperator> operators;
};

// The lines after the symbol line. An empty message means the block was read whole.
std::string read_block_body(std::istream& in, Block& block)
{
    long long count = 0;
    if (!read_count(in, block.inversionFlag) || (block.inversionFlag != 0 && block.inversionFlag != 1) ||
        !read_count(in, count) || count < 1)
        return "Invalid block header";
    if (count > kMaxOperators)
        return "More than 192 operators";
    std::string line;
    for (long long i = 0; i < count; ++i) {
        SymmetryOperator op;
        if (!read_trimmed(in, line) || !parse_operator_text(line, op))
            return "Cannot decode operator " + line;
        block.operators.push_back(op);
    }
    return {};
}

}  // namespace

std::string standard_setting_file_name(const std::string& crystalSystem)
{
    static const char* const kSystems[] = {"CUBI", "HEXA", "MONO", "ORTH", "RHOM", "TRIC"};
    if (crystalSystem == "TETR")
        return "Q.POS";
    for (const char* code : kSystems) {
        if (crystalSystem == code)
            return std::string(1, code[0]) + ".pos";
    }
    return {};
}

std::vector<std::string> read_standard_symbols(const std::filesystem::path& dataDirectory,
                                               const std::string& crystalSystem)
{
    const std::string name = standard_setting_file_name(crystalSystem);
    if (name.empty())
        return {};
    const std::filesystem::path file = find_file_ignoring_case(dataDirectory, name);
    return *read_file_once<std::vector<std::string>>(file, "symbols", [&] {
        std::vector<std::string> rows;
        std::ifstream in(file);
        std::string line;
        bool afterEmptyLine = false;
        while (std::getline(in, line)) {
            const std::string text = symtext::trim(line);
            if (afterEmptyLine && !text.empty())
                rows.push_back(text);
            afterEmptyLine = text.empty();
        }
        return rows;
    });
}

bool parse_standard_coordinate(const std::string& text, OperatorRow& row)
{
    std::string rest = symtext::upper(symtext::trim(text));
    double t = 0;
    for (const TranslationPattern& pattern : kTranslations) {
        const std::size_t pos = rest.find(pattern.text);
        if (pos == std::string::npos)
            continue;
        t = pattern.value;
        if (t != 0)
            rest.erase(pos, 4);
        break;
    }
    for (const RotationForm& form : kForms) {
        if (rest == form.text) {
            row = {{form.r[0], form.r[1], form.r[2]}, t};
            return true;
        }
    }
    return false;
}

StandardBlockResult read_standard_block(const std::filesystem::path& file, const std::string& symbol,
                                        StructureModel& model)
{
    StandardBlockResult result;
    if (symtext::trim(symbol).empty()) {
        result.message = "No space-group symbol";
        return result;
    }
    std::ifstream in(file);
    if (!in) {
        result.status = BlockStatus::FileMissing;
        result.message = "Cannot read " + file.filename().string();
        return result;
    }
    std::string line;
    while (std::getline(in, line) && symtext::trim_right(line) != symbol) {
    }
    if (!in) {
        result.message = symbol + " not found in " + file.filename().string();
        return result;
    }
    Block block;
    const std::string problem = read_block_body(in, block);
    if (!problem.empty()) {
        result.status = BlockStatus::Invalid;
        result.message = problem + " in the block " + symbol + " of " + file.filename().string();
        return result;
    }
    clear_operator_table(model);
    model.inversionAdded = static_cast<int>(block.inversionFlag);
    model.operatorCount = static_cast<int>(block.operators.size());
    for (int i = 1; i <= model.operatorCount; ++i)
        model.operators[i] = block.operators[static_cast<std::size_t>(i - 1)];
    result.status = BlockStatus::Read;
    return result;
}

}  // namespace kalidos
