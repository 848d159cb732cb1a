#include "refinement/refinement_result.hpp"

#include <algorithm>
#include <cmath>

#include "computation/cell_content.hpp"
#include "computation/cell_metric.hpp"
#include "computation/displacement_tensor.hpp"
#include "computation/weight_fractions.hpp"
#include "fitting/figures_of_merit.hpp"
#include "refinement/free_intensities.hpp"
#include "refinement/refinement_figures.hpp"

namespace kalidos {
namespace {

FittedValue fitted(const RefinementParameter& p)
{
    return FittedValue{p.value, p.su};
}

void fill_atom_value(const RefinementParameter& p, const ModelParameter& row, RefinedAtom& atom)
{
    FittedValue* position[3] = {&atom.x, &atom.y, &atom.z};
    switch (row.quantity) {
    case Quantity::Position: *position[row.component] = fitted(p); break;
    case Quantity::Biso: atom.b = fitted(p); break;
    case Quantity::Occupancy: atom.occupancy = fitted(p); break;
    case Quantity::Tensor:
        atom.u[row.component] = fitted(p);
        atom.anisotropic = true;
        break;
    default: break;
    }
}

}  // namespace

void RefinementSession::accept(const std::vector<int>& rows, const LeastSquaresResult& fit)
{
    const std::vector<double> values = model->row_values(fit.values);
    for (std::size_t r = 0; r < values.size(); ++r)
        table.rows[r].info.value = values[r];
    for (std::size_t j = 0; j < rows.size(); ++j)
        table.rows[static_cast<std::size_t>(rows[j])].info.held = j < fit.held.size() && fit.held[j];
    last = fit;
    lastRows = rows;
}

double RefinementSession::weighted_squares()
{
    std::vector<double> rows, y(points.size());
    for (const ModelParameter& row : table.rows)
        rows.push_back(row.info.value);
    if (!model->evaluate_rows(rows, y))
        return INFINITY;
    double sum = 0;
    for (std::size_t i = 0; i < y.size(); ++i)
        sum += points.weight[i] * (points.observed[i] - y[i]) * (points.observed[i] - y[i]);
    return sum;
}

double RefinementSession::chi2(int parameters)
{
    std::vector<double> rows, y(points.size());
    for (const ModelParameter& row : table.rows)
        rows.push_back(row.info.value);
    if (!model->evaluate_rows(rows, y))
        return INFINITY;
    return figures_of_merit(points.observed, y, points.figureWeight, parameters).chi2;
}

CycleFigures RefinementSession::cycle_figures(const CycleReport& cycle)
{
    std::vector<double> y = cycle.model;  // the fit's own model at the cycle's values
    if (y.size() != points.size()) {
        y.assign(points.size(), 0.0);
        model->evaluate_rows(model->row_values(cycle.values), y);
    }
    const Figures f = figures_of_merit(points.observed, y, points.figureWeight, cycle.freeVariables);
    return CycleFigures{cycle.cycle, f.rp, f.rwp, f.chi2};
}

// The gradient over the table's rows as one over the variables: each variable moves its rows.
std::vector<double> RefinementSession::variable_gradient(const std::map<int, double>& gradient) const
{
    std::vector<double> a(variableSu_.size(), 0.0);
    for (std::size_t j = 0; j < a.size(); ++j)
        for (const auto& [row, coefficient] : model->moved_by(j)) {
            const auto found = gradient.find(row);
            if (found != gradient.end())
                a[j] += found->second * coefficient;
        }
    return a;
}

double RefinementSession::propagated_covariance(const std::map<int, double>& first,
                                                const std::map<int, double>& second) const
{
    const std::vector<double> a = variable_gradient(first), b = variable_gradient(second);
    double sum = 0;
    for (std::size_t j = 0; j < a.size(); ++j) {
        if (a[j] == 0)
            continue;
        if (!covariance_) {
            sum += a[j] * b[j] * variableSu_[j] * variableSu_[j];
            continue;
        }
        for (std::size_t k = 0; k < b.size(); ++k)
            sum += a[j] * b[k] * (*covariance_)(static_cast<Eigen::Index>(j), static_cast<Eigen::Index>(k));
    }
    return sum;
}

double RefinementSession::propagated_su(const std::map<int, double>& gradient) const
{
    return std::sqrt(std::max(propagated_covariance(gradient, gradient), 0.0));
}

void RefinementSession::fill(const std::vector<int>& rows, const LeastSquaresResult* fit, const CycleReport* cycle,
                             RefinementResult& out)
{
    model->set_variables(rows);
    std::vector<double> values;
    for (const ModelParameter& row : table.rows)
        values.push_back(row.info.value);
    if (cycle)
        values = model->row_values(cycle->values);
    covariance_ = fit && fit->covariance.rows() == static_cast<Eigen::Index>(rows.size()) ? &fit->covariance : nullptr;
    variableSu_ = cycle ? cycle->su : fit ? fit->su : std::vector<double>(rows.size(), 0.0);
    variableSu_.resize(rows.size(), 0.0);
    const CycleReport* shifts = cycle ? cycle : fit && !fit->cycles.empty() ? &fit->cycles.back() : nullptr;
    std::vector<double> y(points.size());
    model->evaluate_rows(values, y);
    out.parameters.clear();
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        RefinementParameter p = table.rows[r].info;
        p.value = values[r];
        ModelParameter at = table.rows[r];
        at.info.value = values[r];
        p.limit = p.refined && !p.held ? on_bound(at) : 0;
        p.su = p.refined ? propagated_su({{static_cast<int>(r), 1.0}}) : 0;
        p.shift = 0;
        for (std::size_t j = 0; shifts && j < rows.size() && j < shifts->shifts.size(); ++j)
            for (const auto& [moved, coefficient] : model->moved_by(j))
                if (moved == static_cast<int>(r))
                    p.shift += coefficient * shifts->shifts[j];
        out.parameters.push_back(p);
    }
    int freeCount = cycle ? cycle->freeVariables : static_cast<int>(rows.size());
    for (std::size_t j = 0; !cycle && fit && j < rows.size() && j < fit->held.size(); ++j)
        freeCount -= fit->held[j] != 0;
    const Figures f = figures_of_merit(points.observed, y, points.figureWeight, freeCount);
    out.rp = f.rp, out.rwp = f.rwp, out.rexp = f.rexp, out.chi2 = f.chi2;
    out.points = static_cast<int>(points.size());
    out.refinedCount = freeCount;
    out.correlations.clear();
    if (fit)
        for (const VariableCorrelation& c : fit->correlations)
            out.correlations.push_back(ParameterCorrelation{c.first, c.second, c.coefficient});
    fill_phases(values, y, out);
    if (fit && !cycle)
        fill_reflections(y, out);
    fill_refinement_curves(*model, y, out.curves);
}

void RefinementSession::fill_phases(const std::vector<double>& values, std::span<const double> calculated,
                                    RefinementResult& out)
{
    const std::size_t count = model->phases().size();
    out.phases.assign(count, RefinedPhase{});
    std::vector<double> zmv(count, 0.0);
    std::vector<int> scaleRow(count, -1);
    for (std::size_t p = 0; p < count; ++p) {
        RefinedPhase& phase = out.phases[p];
        const StructureModel& m = *model->phases()[p].model;
        phase.name = request.phases[p].name;
        phase.method = request.phases[p].intensities;
        phase.fractionDefined = !has_free_intensities(request);
        phase.rBragg = bragg_r(*model, p, calculated);
        phase.refined = m;
        phase.atoms.resize(static_cast<std::size_t>(m.atomCount));
        const std::vector<std::string> names = atom_names(m);
        for (std::size_t n = 0; n < phase.atoms.size(); ++n)
            phase.atoms[n].name = names[n];
        std::map<int, double> volumeGradient;
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            const ModelParameter& row = table.rows[r];
            if (row.info.phase != static_cast<int>(p))
                continue;
            const RefinementParameter& value = out.parameters[r];
            if (row.quantity == Quantity::Scale) {
                phase.scale = fitted(value);
                scaleRow[p] = static_cast<int>(r);
            } else if (row.quantity == Quantity::Cell) {
                phase.cell[row.component] = fitted(value);
                CellParameters moved = m.cell;
                double* c[6] = {&moved.a, &moved.b, &moved.c, &moved.alpha, &moved.beta, &moved.gamma};
                const double h = 1e-6 * std::max(1.0, std::fabs(values[r]));
                *c[row.component] += h;
                volumeGradient[static_cast<int>(r)] =
                    (cell_volume(moved, kExactDegreesToRadians) - cell_volume(m.cell, kExactDegreesToRadians)) / h;
            } else if (row.atom > 0) {
                fill_atom_value(value, row, phase.atoms[static_cast<std::size_t>(row.atom - 1)]);
            }
        }
        phase.volume = FittedValue{cell_volume(m.cell, kExactDegreesToRadians), propagated_su(volumeGradient)};
        for (int n = 1; n <= m.atomCount; ++n)
            if (uses_tensor(m, n))
                phase.refined.atomB[n] = b_equivalent(m.cell, m.atomAnisotropic[n]);
        CellContent content;
        std::string unknown;
        if (cell_content(m, content, unknown))
            zmv[p] = content.zmv();
    }
    // The fractions when every phase's content is known and the scales are positive on the whole.
    std::vector<double> scales;
    double total = 0;
    for (std::size_t p = 0; p < count; ++p) {
        scales.push_back(out.phases[p].scale.value);
        total += scales[p] * zmv[p];
    }
    if (!(total > 0) || std::find(zmv.begin(), zmv.end(), 0.0) != zmv.end() || has_free_intensities(request))
        return;
    const std::vector<FittedValue> fractions = weight_fractions(zmv, scales, [&](std::size_t i, std::size_t j) {
        return propagated_covariance({{scaleRow[i], 1.0}}, {{scaleRow[j], 1.0}});
    });
    for (std::size_t p = 0; p < count; ++p)
        out.phases[p].fraction = fractions[p];
}

void RefinementSession::fill_reflections(std::span<const double> calculated, RefinementResult& out) const
{
    std::vector<std::vector<double>> pawleySu(out.phases.size());
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const ModelParameter& row = table.rows[r];
        if (row.quantity != Quantity::Intensity)
            continue;
        std::vector<double>& su = pawleySu[static_cast<std::size_t>(row.info.phase)];
        su.resize(std::max(su.size(), static_cast<std::size_t>(row.component) + 1), 0.0);
        su[static_cast<std::size_t>(row.component)] = out.parameters[r].su;
    }
    std::vector<std::vector<ExtractedReflection>> reflections =
        extracted_reflections(*model, calculated, out.chi2, pawleySu);
    for (std::size_t p = 0; p < out.phases.size(); ++p)
        out.phases[p].reflections = std::move(reflections[p]);
}

}  // namespace kalidos
