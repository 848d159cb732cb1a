#include "readers/operator_sets.hpp"

#include <cmath>

namespace kalidos
{

namespace
{

constexpr double kTranslationTolerance = 1e-3; // files write 1/3 as 0.3333 or 0.33333

bool same_operation(const SymmetryOperator& p, const SymmetryOperator& q)
{
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            if (std::fabs(p.m[r][c] - q.m[r][c]) > 1e-6)
                return false;
        const double d = p.m[r][3] - q.m[r][3];
        if (std::fabs(d - std::round(d)) > kTranslationTolerance)
            return false;
    }
    return true;
}

// Every operation of `a` occurs in `b`.
bool included(const OperatorTableCopy& a, const OperatorTableCopy& b)
{
    for (int i = 1; i <= a.count; ++i) {
        bool found = false;
        for (int j = 1; j <= b.count && !found; ++j)
            found = same_operation(a.operators[i], b.operators[j]);
        if (!found)
            return false;
    }
    return true;
}

bool is_inversion(const SymmetryOperator& op)
{
    SymmetryOperator inversion;
    for (int r = 0; r < 3; ++r)
        inversion.m[r][r] = -1;
    return same_operation(op, inversion);
}

} // namespace

OperatorTableCopy copy_operator_table(const StructureModel& model)
{
    OperatorTableCopy copy;
    copy.count = model.operatorCount;
    for (int i = 1; i <= model.operatorCount; ++i) {
        copy.operators[i] = model.operators[i];
        copy.texts[i] = model.operatorTexts[i];
    }
    return copy;
}

void restore_operator_table(StructureModel& model, const OperatorTableCopy& copy)
{
    clear_operator_table(model);
    model.operatorCount = copy.count;
    for (int i = 1; i <= copy.count; ++i) {
        model.operators[i] = copy.operators[i];
        model.operatorTexts[i] = copy.texts[i];
        if (is_inversion(copy.operators[i]))
            model.centrosymmetric = true;
    }
}

bool same_operations(const OperatorTableCopy& first, const OperatorTableCopy& second)
{
    return included(first, second) && included(second, first);
}

} // namespace kalidos
