#include "symmetry/operator_text.hpp"

#include <cmath>

#include "symmetry/symbol_text.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {
namespace {

// The rotation part: the coefficients rounded to whole numbers (a -0.0 gives "0"), each
// right-aligned in 2 characters, e.g. "0-1 0".
std::string coefficient_digits(const OperatorRow& row)
{
    std::string digits;
    for (double r : row.r)
        digits += fmt_int(std::llround(r), 2);
    return symtext::trim(digits);
}

std::string rotation_text(const std::string& digits)
{
    static const char* const kForms[][2] = {
        {"1 0 0", " X"},  {"0 1 0", " Y"}, {"0 0 1", " Z"},   {"-1 0 0", "-X"},
        {"0-1 0", "-Y"},  {"0 0-1", "-Z"}, {"1-1 0", " X-Y"}, {"-1 1 0", " Y-X"},
    };
    for (const auto& form : kForms) {
        if (digits == form[0])
            return form[1];
    }
    return {};
}

std::string translation_text(double t)
{
    static const double kValues[] = {0, 0.5, 0.3333333, 0.6666667, 0.25, 0.75, 0.166667, 0.83333};
    static const char* const kTexts[] = {"    ", "+1/2", "+1/3", "+2/3", "+1/4", "+3/4", "+1/6", "+5/6"};
    if (t < 0)
        t += 1;
    else if (t > 1)
        t -= 1;
    for (std::size_t k = 0; k < std::size(kValues); ++k) {
        if (std::fabs(t - kValues[k]) <= 0.001)
            return kTexts[k];
    }
    return {};
}

}  // namespace

std::string format_operator_row(const OperatorRow& row)
{
    std::string text = rotation_text(coefficient_digits(row));
    if (row.t != 0)
        text += translation_text(row.t);
    return text;
}

void build_operator_texts(StructureModel& model)
{
    for (int i = 1; i <= model.operatorCount; ++i) {
        const SymmetryOperator& op = model.operators[i];
        const std::string text = format_operator_row(row_of(op, 0)) + "," + format_operator_row(row_of(op, 1)) +
                                 "," + format_operator_row(row_of(op, 2));
        model.operatorTexts[i] = short_text(symtext::upper(text), kOperatorTextLength);
    }
}

TextGrid equivalent_positions_grid(const StructureModel& model)
{
    TextGrid grid(model.operatorCount + 1, 4);
    grid.set_cell(0, 0, "Nb");
    grid.set_cell(0, 1, "a");
    grid.set_cell(0, 2, "b");
    grid.set_cell(0, 3, "c");
    for (int i = 1; i <= model.operatorCount; ++i) {
        grid.set_cell(i, 0, std::to_string(i));
        for (int j = 0; j < 3; ++j)
            grid.set_cell(i, j + 1, symtext::upper(format_operator_row(row_of(model.operators[i], j))));
    }
    return grid;
}

}  // namespace kalidos
