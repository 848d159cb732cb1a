// One row of a symmetry operator: three rotation coefficients and a translation.
#pragma once

#include "model/structure_model.hpp"  // for SymmetryOperator

namespace kalidos {

// x'_i = r[0]·x + r[1]·y + r[2]·z + t (fractional coordinates).
struct OperatorRow {
    double r[3] = {0, 0, 0};
    double t = 0;
};

inline OperatorRow row_of(const SymmetryOperator& op, int i)
{
    return {{op.m[i][0], op.m[i][1], op.m[i][2]}, op.m[i][3]};
}

inline void set_row(SymmetryOperator& op, int i, const OperatorRow& row)
{
    op.m[i][0] = row.r[0];
    op.m[i][1] = row.r[1];
    op.m[i][2] = row.r[2];
    op.m[i][3] = row.t;
}

}  // namespace kalidos
