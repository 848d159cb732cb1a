#include "comparison/normal_equations.hpp"

#include <cmath>

namespace kalidos {
namespace {

// A pivot below this share of its unscaled diagonal means the column depends on the others.
constexpr double kSingularPivot = 1e-13;

// Gauss-Jordan inversion of the symmetric positive matrix `a` (n×n, unit diagonal after
// scaling); false when a pivot vanishes.
bool invert(std::vector<double>& a, int n)
{
    std::vector<double> inverse(static_cast<std::size_t>(n) * n, 0.0);
    for (int i = 0; i < n; ++i)
        inverse[i * n + i] = 1;
    for (int col = 0; col < n; ++col) {
        const double pivot = a[col * n + col];
        if (!(pivot > kSingularPivot))
            return false;
        for (int j = 0; j < n; ++j) {
            a[col * n + j] /= pivot;
            inverse[col * n + j] /= pivot;
        }
        for (int row = 0; row < n; ++row) {
            const double factor = a[row * n + col];
            if (row == col || factor == 0)
                continue;
            for (int j = 0; j < n; ++j) {
                a[row * n + j] -= factor * a[col * n + j];
                inverse[row * n + j] -= factor * inverse[col * n + j];
            }
        }
    }
    a.swap(inverse);
    return true;
}

}  // namespace

NormalEquations::NormalEquations(int parameters)
    : n_(parameters), matrix_(static_cast<std::size_t>(parameters) * parameters, 0.0),
      vector_(static_cast<std::size_t>(parameters), 0.0)
{
}

void NormalEquations::add(std::span<const double> row, double weight, double residual)
{
    for (int i = 0; i < n_; ++i) {
        const double wi = weight * row[i];
        if (wi == 0)
            continue;
        vector_[i] += wi * residual;
        for (int j = i; j < n_; ++j)
            matrix_[i * n_ + j] += wi * row[j];
    }
}

bool NormalEquations::solve(std::vector<double>& step, std::vector<double>& inverse) const
{
    const int n = n_;
    std::vector<double> scale(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double diagonal = matrix_[i * n + i];
        if (!(diagonal > 0) || !std::isfinite(diagonal))
            return false;
        scale[i] = 1 / std::sqrt(diagonal);
    }
    std::vector<double> a(matrix_.size());
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double value = i <= j ? matrix_[i * n + j] : matrix_[j * n + i];
            a[i * n + j] = value * scale[i] * scale[j];
        }
    if (!invert(a, n))
        return false;
    step.assign(static_cast<std::size_t>(n), 0.0);
    inverse.assign(a.size(), 0.0);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            inverse[i * n + j] = a[i * n + j] * scale[i] * scale[j];
            step[i] += inverse[i * n + j] * vector_[j];
        }
    }
    return true;
}

}  // namespace kalidos
