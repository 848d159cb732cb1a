// Weighted linear least squares through the normal equations, for the few parameters of a
// comparison (scale, background coefficients, zero shift: at most 15).
#pragma once

#include <span>
#include <vector>

namespace kalidos {

// Accumulates AᵀWA and AᵀWr one observation (one row of A) at a time.
class NormalEquations {
public:
    explicit NormalEquations(int parameters);
    void add(std::span<const double> row, double weight, double residual);

    // Solves for the step δ minimising Σw(r − A·δ)² and fills the inverse of AᵀWA
    // (row-major). The columns are first scaled to unit diagonal, so parameters of very
    // different sizes do not spoil the pivots. False when AᵀWA is singular: a parameter the
    // observations do not determine.
    bool solve(std::vector<double>& step, std::vector<double>& inverse) const;

    int parameters() const { return n_; }

private:
    int n_;
    std::vector<double> matrix_;  // n×n, row-major
    std::vector<double> vector_;
};

}  // namespace kalidos
