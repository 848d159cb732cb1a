#include "readers/cif_operators.hpp"

#include "symmetry/cif_coordinate.hpp"

#include <array>
#include <cmath>
#include <string_view>

namespace kalidos
{

namespace
{

bool is_operator_tag(std::string_view tag)
{
    return tag == "_symmetry_equiv_pos_as_xyz" || tag == "_space_group_symop_operation_xyz";
}

// Views into the block.
std::vector<std::string_view> operator_values(const CifBlockData& block)
{
    for (const CifLoop& loop : block.loops) {
        for (std::size_t c = 0; c < loop.tags.size(); ++c) {
            if (!is_operator_tag(loop.tags[c]))
                continue;
            std::vector<std::string_view> values;
            values.reserve(loop.rows.size());
            for (const auto& row : loop.rows)
                values.push_back(row[c]);
            return values;
        }
    }
    for (const auto& [tag, value] : block.items)
        if (is_operator_tag(tag) && !is_cif_null(value.text))
            return {value.text};
    return {};
}

bool is_inversion(const SymmetryOperator& op)
{
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            if (op.m[r][c] != (r == c ? -1.0 : 0.0))
                return false;
        if (std::fabs(op.m[r][3] - std::round(op.m[r][3])) > 1e-6)
            return false;
    }
    return true;
}

// The three coordinate texts, cut at the first and the second comma, each through the decoder
// of CIF coordinates; the decoder's message when one of them cannot be read.
bool decode_operator(const std::string& text, SymmetryOperator& op, std::string& message)
{
    const auto first = text.find(',');
    const auto second = first == std::string::npos ? std::string::npos : text.find(',', first + 1);
    if (second == std::string::npos) {
        message = "cannot decode position " + text;
        return false;
    }
    const std::string parts[3] = {text.substr(0, first), text.substr(first + 1, second - first - 1),
                                  text.substr(second + 1)};
    for (int r = 0; r < 3; ++r) {
        const CifCoordinate coordinate = parse_cif_coordinate(parts[r]);
        if (!coordinate.ok) {
            message = coordinate.message;
            return false;
        }
        set_row(op, r, coordinate.row);
    }
    return true;
}

} // namespace

std::string normalise_cif_operator(std::string_view value)
{
    std::string_view text = trim_view(value);
    const auto blank = text.find_first_of(" \t");
    long long number = 0;
    if (blank != std::string_view::npos && parse_integer(text.substr(0, blank), number))
        text = text.substr(blank + 1);
    return to_upper(remove_chars(text, " \t'\""));
}

bool read_cif_operators(StructureModel& model, const CifBlockData& block, Messages& messages)
{
    clear_operator_table(model);
    for (const std::string_view value : operator_values(block)) {
        const std::string text = normalise_cif_operator(value);
        long long number = 0;
        if (text.empty() || parse_integer(text, number))
            continue; // the numbers of a loop written without its id column
        if (model.operatorCount == kMaxOperators) {
            messages.warning("The file lists more than 192 symmetry operators");
            clear_operator_table(model);
            return false;
        }
        SymmetryOperator op;
        std::string message;
        if (!decode_operator(text, op, message)) {
            messages.warning(message);
            clear_operator_table(model);
            return false;
        }
        ++model.operatorCount;
        model.operators[model.operatorCount] = op;
        model.operatorTexts[model.operatorCount] = short_text(text, kOperatorTextLength);
        if (is_inversion(op))
            model.centrosymmetric = true;
    }
    return true;
}

std::string cif_group_name(const CifBlockData& block)
{
    for (const auto& [tag, value] : block.items)
        if ((tag == "_symmetry_space_group_name_h-m" || tag == "_space_group_name_h-m_alt") &&
            !is_cif_null(value.text))
            return short_text(to_upper(remove_chars(value.text, "' \t()\"")), kSymbolLength);
    for (const auto& [tag, value] : block.items)
        if ((tag == "_symmetry_space_group_name_hall" || tag == "_space_group_name_hall") &&
            !is_cif_null(value.text))
            return short_text(trim(to_upper(remove_chars(value.text, "'"))), kSymbolLength);
    return {};
}

} // namespace kalidos
