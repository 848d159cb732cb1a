#include "refinement/symmetry_constraints.hpp"

#include <algorithm>
#include <cmath>

#include "computation/displacement_tensor.hpp"
#include "computation/site_multiplicity.hpp"  // for applied_operators
#include "computation/site_symmetry.hpp"

namespace kalidos {
namespace {

constexpr double kNegligible = 1e-9;
constexpr double kSamePosition = 0.001;  // as the site multiplicities find special positions
constexpr double kTwoPiSquared = 19.739208802178716;
constexpr int kPairs[6][2] = {{0, 0}, {1, 1}, {2, 2}, {0, 1}, {0, 2}, {1, 2}};

std::vector<SymmetryOperator> stabiliser_of(const StructureModel& model, int n)
{
    return site_stabiliser(applied_operators(model), model.atomX[n], model.atomY[n], model.atomZ[n], kSamePosition);
}

std::vector<double> unit_row(int components, int i, int j = -1)
{
    std::vector<double> row(static_cast<std::size_t>(components), 0.0);
    row[static_cast<std::size_t>(i)] = 1;
    if (j >= 0)
        row[static_cast<std::size_t>(j)] = -1;
    return row;
}

bool near(double value, double target)
{
    return std::fabs(value - target) < 1e-4;
}

// The axis (0 a, 1 b, 2 c) of a diagonal twofold rotation or mirror of the table; -1 when none.
int unique_axis(const StructureModel& model)
{
    for (int j = 1; j <= model.operatorCount; ++j) {
        const auto& m = model.operators[j].m;
        const bool diagonal = m[0][1] == 0 && m[0][2] == 0 && m[1][0] == 0 && m[1][2] == 0 && m[2][0] == 0 && m[2][1] == 0;
        const int plus = (m[0][0] > 0) + (m[1][1] > 0) + (m[2][2] > 0);
        if (!diagonal || plus == 0 || plus == 3)
            continue;
        for (int axis = 0; axis < 3; ++axis) {
            const bool odd = plus == 1 ? m[axis][axis] > 0 : m[axis][axis] < 0;
            if (odd)
                return axis;
        }
    }
    return -1;
}

// The monoclinic angle that may change: the unique axis's, else the one furthest from 90°.
int monoclinic_angle(const StructureModel& model)
{
    const int axis = unique_axis(model);
    if (axis >= 0)
        return 3 + axis;
    const double angles[3] = {model.cell.alpha, model.cell.beta, model.cell.gamma};
    int furthest = 1;
    for (int i = 0; i < 3; ++i)
        if (std::fabs(angles[i] - 90) > std::fabs(angles[furthest] - 90))
            furthest = i;
    return 3 + furthest;
}

}  // namespace

ComponentTies solve_ties(const std::vector<std::vector<double>>& equations, int components)
{
    const auto n = static_cast<std::size_t>(components);
    std::vector<std::vector<double>> e = equations;
    std::vector<int> pivotRow(n, -1);
    std::size_t row = 0;
    // Pivots are taken from the last component on, so that the earliest stay free.
    for (int col = components - 1; col >= 0 && row < e.size(); --col) {
        const auto c = static_cast<std::size_t>(col);
        std::size_t best = row;
        for (std::size_t r = row; r < e.size(); ++r)
            if (std::fabs(e[r][c]) > std::fabs(e[best][c]))
                best = r;
        if (std::fabs(e[best][c]) < kNegligible)
            continue;
        std::swap(e[row], e[best]);
        const double pivot = e[row][c];
        for (double& v : e[row])
            v /= pivot;
        for (std::size_t r = 0; r < e.size(); ++r)
            if (r != row && e[r][c] != 0) {
                const double factor = e[r][c];
                for (std::size_t k = 0; k < n; ++k)
                    e[r][k] -= factor * e[row][k];
            }
        pivotRow[c] = static_cast<int>(row++);
    }
    ComponentTies ties;
    ties.free.assign(n, 0);
    ties.along.assign(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i) {
        if (pivotRow[i] < 0) {
            ties.free[i] = 1;
            ties.along[i][i] = 1;
            continue;
        }
        for (std::size_t j = 0; j < n; ++j) {
            const double v = -e[static_cast<std::size_t>(pivotRow[i])][j];
            if (j != i && std::fabs(v) > kNegligible)
                ties.along[i][j] = v;
        }
    }
    return ties;
}

ComponentTies lattice_ties(const StructureModel& model)
{
    const CellParameters& c = model.cell;
    const std::string& system = model.crystalSystem;
    const bool hexagonalAxes = near(c.alpha, 90) && near(c.beta, 90) && near(c.gamma, 120);
    std::vector<std::vector<double>> eq;
    const auto fix_angles = [&] {
        for (int i = 3; i < 6; ++i)
            eq.push_back(unit_row(6, i));
    };
    if (system == "CUBI") {
        eq = {unit_row(6, 1, 0), unit_row(6, 2, 0)};
        fix_angles();
    } else if (system == "TETR" || system == "HEXA" || (system == "RHOM" && hexagonalAxes)) {
        eq = {unit_row(6, 1, 0)};
        fix_angles();
    } else if (system == "RHOM") {
        eq = {unit_row(6, 1, 0), unit_row(6, 2, 0), unit_row(6, 4, 3), unit_row(6, 5, 3)};
    } else if (system == "ORTH") {
        fix_angles();
    } else if (system == "MONO") {
        const int free = monoclinic_angle(model);
        for (int i = 3; i < 6; ++i)
            if (i != free)
                eq.push_back(unit_row(6, i));
    }
    return solve_ties(eq, 6);
}

ComponentTies position_ties(const StructureModel& model, int n)
{
    std::vector<std::vector<double>> eq;
    for (const SymmetryOperator& op : stabiliser_of(model, n))
        for (int i = 0; i < 3; ++i) {
            std::vector<double> row(3);
            for (int j = 0; j < 3; ++j)
                row[static_cast<std::size_t>(j)] = op.m[i][j] - (i == j ? 1 : 0);
            eq.push_back(row);
        }
    return solve_ties(eq, 3);
}

ComponentTies tensor_ties(const StructureModel& model, int n)
{
    const ReciprocalLengths star = reciprocal_lengths(model.cell);
    const double lengths[3] = {star.a, star.b, star.c};
    std::vector<std::vector<double>> eq;
    for (const SymmetryOperator& op : stabiliser_of(model, n)) {
        const auto& r = op.m;
        for (const auto& q : kPairs) {
            std::vector<double> row(6);
            for (std::size_t p = 0; p < 6; ++p) {
                const int a = kPairs[p][0], b = kPairs[p][1];
                double m = r[q[0]][a] * r[q[1]][b] + (a != b ? r[q[0]][b] * r[q[1]][a] : 0);
                if (q[0] == a && q[1] == b)
                    m -= 1;
                // β_ab = 2π²·a*_a·a*_b·U^ab: the equations hold for β, the unknowns are U.
                row[p] = m * kTwoPiSquared * lengths[a] * lengths[b];
            }
            eq.push_back(row);
        }
    }
    return solve_ties(eq, 6);
}

}  // namespace kalidos
