#include "symmetry/scfs_file.hpp"

#include <fstream>
#include <vector>

#include "symmetry/symbol_text.hpp"

namespace kalidos {
namespace {

constexpr int kNumbersPerOperator = 12;

bool read_line(std::istream& in, std::string& line)
{
    if (!std::getline(in, line))
        return false;
    line = symtext::trim_right(line);  // also drops the carriage return of CRLF files
    return true;
}

SymmetryOperator operator_from(const double* values)
{
    SymmetryOperator op;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j)  // the interpreter's numbers are single precision
            op.m[i][j] = static_cast<double>(static_cast<float>(values[4 * i + j]));
    }
    return op;
}

// The second section lists the operators as texts; the inversion through the origin reads
// "-X,-Y,-Z" from character 8 on. Only the first `count` lines are looked at.
bool lists_inversion(std::istream& in, int count)
{
    std::string line;
    for (int skipped = 0; skipped < 4; ++skipped) {
        if (!read_line(in, line))
            return false;
    }
    for (int i = 0; i < count && read_line(in, line) && !line.empty(); ++i) {
        if (line.size() > 7 && symtext::upper(line.substr(7)).find("-X,-Y,-Z") != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

int parse_operator_line(const std::string& line, double* values, int capacity)
{
    std::string text = symtext::trim(line);
    for (char& c : text) {
        if (c == ',')
            c = ' ';
    }
    int count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t blank = text.find(' ', pos);
        const std::size_t end = blank == std::string::npos ? text.size() : blank;
        if (end > pos) {
            double value = 0;
            if (count == capacity)
                return kTooManyNumbers;
            if (!symtext::parse_decimal(text.substr(pos, end - pos), value))
                return kNotANumber;
            values[count++] = value;
        }
        pos = end + 1;
    }
    return count;
}

ScfsReadResult read_scfs_file(const std::filesystem::path& file, StructureModel& model)
{
    std::ifstream in(file);
    return read_scfs(in, file.filename().string(), model);
}

ScfsReadResult read_scfs(std::istream& in, const std::string& name, StructureModel& model)
{
    ScfsReadResult result;
    std::string line;
    if (!in || !read_line(in, line)) {
        result.message = "Cannot read " + name;
        return result;
    }
    std::vector<SymmetryOperator> operators;
    while (read_line(in, line) && !line.empty()) {
        double values[kNumbersPerOperator] = {};
        const int count = parse_operator_line(line, values, kNumbersPerOperator);
        if (count != kNumbersPerOperator) {
            result.message = (count == kTooManyNumbers ? "More than 12 numbers on an operator line of scfs.dat: "
                                                       : "Invalid operator line in scfs.dat: ") + line;
            return result;
        }
        if (static_cast<int>(operators.size()) == kMaxOperators) {
            result.message = "More than 192 operators in scfs.dat";
            return result;
        }
        operators.push_back(operator_from(values));
    }
    if (operators.empty()) {
        result.message = "No operator in scfs.dat";
        return result;
    }
    const int count = static_cast<int>(operators.size());
    clear_operator_table(model);
    model.operatorCount = count;
    for (int i = 1; i <= count; ++i)
        model.operators[i] = operators[static_cast<std::size_t>(i - 1)];
    model.inversionAdded = 0;
    model.centrosymmetric = lists_inversion(in, count);
    result.ok = true;
    return result;
}

}  // namespace kalidos
