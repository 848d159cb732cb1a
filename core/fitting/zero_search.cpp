#include "fitting/zero_search.hpp"

#include <cmath>

namespace kalidos {

double best_zero_start(const std::function<double(double zero)>& weightedSquaresAt)
{
    double best = 0, bestSquares = INFINITY;
    const int steps = static_cast<int>(std::lround(kZeroSearchReach / kZeroSearchStep));
    for (int j = -steps; j <= steps; ++j) {
        const double zero = j * kZeroSearchStep;
        const double squares = weightedSquaresAt(zero);
        if (squares < bestSquares) {
            bestSquares = squares;
            best = zero;
        }
    }
    return best;
}

}  // namespace kalidos
