#include "computation/cylinder_absorption.hpp"

#include <cmath>
#include <numbers>

namespace kalidos {
namespace {

// Below μR = 3: A = exp(−T0·x − T1·x² − T2·x³ − T3·x⁴), x = μR, the T's in s = sin²θ.
double below_three(double x, double s)
{
    const double t0 = 16 / (3 * std::numbers::pi);
    const double t1 = (25.99978 - 0.01911 * std::pow(s, 0.25)) * std::exp(-0.024551 * s) + 0.109561 * std::sqrt(s) -
                      26.04556;
    const double t2 = -0.02489 - 0.39499 * s + 1.219077 * std::pow(s, 1.5) - 1.31268 * s * s +
                      0.871081 * std::pow(s, 2.5) - 0.2327 * s * s * s;
    const double t3 = 0.003045 + 0.018167 * s - 0.03305 * s * s;
    return std::exp(-x * (t0 + x * (t1 + x * (t2 + x * t3))));
}

// From μR = 3: A = ((T1 − T4)/(1 + T2·(x − 3))^T3 + T4)/100.
double from_three(double x, double s)
{
    const double t1 = 1.433902 + 11.07504 * s - 8.77629 * s * s + 10.02088 * s * s * s - 3.36778 * s * s * s * s;
    const double t2 = (0.013869 - 0.01249 * s) * std::exp(3.27094 * s) +
                      (0.337894 + 13.77317 * s) / std::pow(1 + 11.53544 * s, 1.555039);
    const double t3 = 1.933433 / std::pow(1 + 23.12967 * s, 1.686715) - 0.13576 * std::sqrt(s) + 1.163198;
    const double t4 = 0.044365 - 0.04259 / std::pow(1 + 0.41051 * s, 148.4202);
    return ((t1 - t4) / std::pow(1 + t2 * (x - 3), t3) + t4) / 100;
}

}  // namespace

double cylinder_transmission(double muR, double theta)
{
    const double s = std::sin(theta) * std::sin(theta);
    return muR < 3 ? below_three(muR, s) : from_three(muR, s);
}

}  // namespace kalidos
