// One refinement under way: its parameters, points and model, and the result it reports after
// each cycle and at the end.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "refinement/pattern_model.hpp"

namespace kalidos {

struct RefinementSession {
    explicit RefinementSession(const RefinementRequest& r) : request(r) {}

    const RefinementRequest& request;
    ParameterTable table;
    FitPoints points;
    std::unique_ptr<PatternModel> model;
    LeastSquaresResult last;    // of the last stage made (or of the scales and background at the start)
    std::vector<int> lastRows;  // its variables' rows
    std::set<int> released;     // the rows the stages made so far released


    // Takes the values of a finished fit over the variables `rows` into the table.
    void accept(const std::vector<int>& rows, const LeastSquaresResult& fit);

    // Σ w(yo − yc)² over every point at the values of the table.
    double weighted_squares();

    // χ² at the values of the table with `parameters` refined.
    double chi2(int parameters);

    // Rp, Rwp and χ² after a cycle of the fit under way.
    CycleFigures cycle_figures(const CycleReport& cycle);

    // The result as it stands: after `cycle` of the fit under way (null: the values of the table,
    // with the covariance of `fit`).
    void fill(const std::vector<int>& rows, const LeastSquaresResult* fit, const CycleReport* cycle,
              RefinementResult& out);

private:
    // gᵀ·C·h for the gradients g and h over the table's rows, C the covariance of the variables (or
    // their su alone when there is none); √(gᵀ·C·g) for one gradient.
    std::vector<double> variable_gradient(const std::map<int, double>& gradient) const;
    double propagated_covariance(const std::map<int, double>& first, const std::map<int, double>& second) const;
    double propagated_su(const std::map<int, double>& gradient) const;
    void fill_phases(const std::vector<double>& rows, std::span<const double> calculated, RefinementResult& out);

    const Eigen::MatrixXd* covariance_ = nullptr;
    std::vector<double> variableSu_;
};

}  // namespace kalidos
