// Comparing two operator tables as sets of symmetry operations.
#pragma once

#include "model/structure_model.hpp"

namespace kalidos
{

// The operators 1..count of a table, with their texts, kept aside while another group is tried.
struct OperatorTableCopy {
    int count = 0;
    Table<SymmetryOperator, kMaxOperators> operators;
    Table<std::string, kMaxOperators> texts;
};

OperatorTableCopy copy_operator_table(const StructureModel& model);

// Puts a file's own complete operator list back: no centring vectors to add, no inversion added.
void restore_operator_table(StructureModel& model, const OperatorTableCopy& copy);

// True when both lists hold the same operations, translations compared modulo whole cell
// translations, whatever their order and repetitions.
bool same_operations(const OperatorTableCopy& first, const OperatorTableCopy& second);

} // namespace kalidos
