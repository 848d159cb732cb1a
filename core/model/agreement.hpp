// The result of comparing a calculation with a measured diagram: fitted values, R factors
// and the fitted curves at the observed points.
#pragma once

#include <string>
#include <vector>

namespace kalidos {

// The abscissa interval [low, high] mapped onto [-1, 1] for the Chebyshev background, where
// the polynomials are bounded and nearly orthogonal over evenly spaced points.
struct ChebyshevInterval {
    double low = 0, high = 0;
    double reduced(double x) const { return high > low ? 2 * (x - low) / (high - low) - 1 : 0; }
};

struct FittedValue {
    double value = 0;
    double su = 0;  // standard uncertainty; 0 for a value that was not fitted
};

// The fitted model at each observed point used: yc = scale·calc(2θ − Z) + background(2θ).
struct AgreementCurves {
    std::vector<double> twoTheta, observed, calculated, background;
    std::vector<double> sigma;        // 1/√w, as the fit weighed the point (for counts: the model's σ)
    std::vector<double> figureSigma;  // the σ of Rp, Rwp, Rexp and χ²: the observation's
};

struct Agreement {
    std::string fileName;  // without directory
    int scan = 0;          // 0-based scan of the file
    int points = 0;      // observed points with a weight above 0 inside the calculated range
    int parameters = 0;
    FittedValue scale;
    FittedValue zeroShift;                 // degrees 2θ: 2θ_observed = 2θ_calculated + Z
    std::vector<FittedValue> background;   // coefficients of T_0 .. T_order over `interval`
    ChebyshevInterval interval;            // the 2θ interval of the points used
    double rp = 0, rwp = 0, rexp = 0, chi2 = 0;
    AgreementCurves curves;
};

}  // namespace kalidos
