#include "refinement/stage_guards.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "computation/peak_shape.hpp"

namespace kalidos {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegrees = 180 / kPi;
constexpr double kHighestTheta = 80 / kDegrees;  // steps near 180° would be needlessly small
// A line located, or a width measured, to worse than this share of its width is not determined.
constexpr double kLocatedShare = 0.2;
constexpr double kDegenerate = 0.999;

std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

// The phase's strongest line in the points' range: its 2θ, wavelength and width.
struct ReferenceLine {
    double twoTheta = 0, lambda = 0, fwhm = 0;
};

ReferenceLine strongest_line(const RefinementSession& session, const PhaseState& phase)
{
    ReferenceLine line;
    double strongest = 0;
    for (const Reflection& r : phase.intensities.reflections)
        if (r.twoTheta >= session.points.interval.low && r.twoTheta <= session.points.interval.high &&
            r.intensity > strongest) {
            strongest = r.intensity;
            line.twoTheta = r.twoTheta;
            line.lambda = r.lambda;
        }
    if (strongest > 0)
        line.fwhm = peak_shape(*phase.model, line.twoTheta, line.lambda, 1).fwhm;
    return line;
}

// How far the su `su` of `row` moves or widens the reference line (degrees 2θ).
double line_uncertainty(const ModelParameter& row, double su, const ReferenceLine& line, const StructureModel& m)
{
    const double tangent = std::tan(line.twoTheta / 2 / kDegrees);
    switch (row.quantity) {
    case Quantity::Cell:
        return row.component < 3 ? 2 * tangent * su / row.info.value * kDegrees : 2 * tangent * su;
    case Quantity::Size: {
        ProfileSettings s = m.profile;
        s.sizeNm = row.info.value;
        return size_fwhm(s, line.twoTheta, line.lambda) * su / row.info.value;
    }
    case Quantity::Strain: {
        ProfileSettings s = m.profile;
        s.strainPercent = su;
        return strain_fwhm(s, line.twoTheta);
    }
    default: return 0;
    }
}

bool judged(const ModelParameter& row)
{
    return !row.named && row.info.phase >= 0 &&
           (row.quantity == Quantity::Cell || row.quantity == Quantity::Size || row.quantity == Quantity::Strain);
}

}  // namespace

void limit_peak_moves(RefinementSession& session)
{
    const double theta = std::min(session.points.interval.high / 2 / kDegrees, kHighestTheta);
    for (ModelParameter& row : session.table.rows) {
        if (row.quantity != Quantity::Cell || row.fixed || !row.ties.empty())
            continue;
        const StructureModel& m = *session.model->phases()[static_cast<std::size_t>(row.info.phase)].model;
        const double fwhm = peak_shape(m, 2 * theta * kDegrees, m.wavelengths.values[1], 1).fwhm;
        if (!(fwhm > 0))
            continue;
        const double relative = fwhm / kDegrees / (2 * std::tan(theta));
        row.largestShift = row.component < 3 ? row.info.value * relative : relative * kDegrees;
    }
}

std::vector<int> undetermined_rows(RefinementSession& session, const std::vector<int>& rows,
                                   std::vector<std::string>& notes)
{
    if (std::none_of(rows.begin(), rows.end(),
                     [&](int r) { return judged(session.table.rows[static_cast<std::size_t>(r)]); }))
        return {};
    session.model->set_variables(rows);
    std::vector<FreeVariable> variables;
    for (const int r : rows)
        variables.push_back(free_variable(session.table.rows[static_cast<std::size_t>(r)]));
    const std::vector<double> su =
        predicted_uncertainties(*session.model, session.points.observed, session.points.weight, variables);
    std::vector<int> held;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const ModelParameter& row = session.table.rows[static_cast<std::size_t>(rows[j])];
        if (!judged(row))
            continue;
        const PhaseState& phase = session.model->phases()[static_cast<std::size_t>(row.info.phase)];
        const ReferenceLine line = strongest_line(session, phase);
        const double spread = line_uncertainty(row, su[j], line, *phase.model);
        if (line.fwhm > 0 && !(spread <= kLocatedShare * line.fwhm)) {
            held.push_back(rows[j]);
            notes.push_back(row.info.name + " is held: the diagram cannot determine it (its su would move or widen " +
                            session.request.phases[static_cast<std::size_t>(row.info.phase)].name +
                            "'s strongest line by " + (std::isfinite(spread) ? number(spread) + "°" : "any amount") +
                            ", its width is " + number(line.fwhm) + "°); name it to refine it");
        }
    }
    return held;
}

std::vector<int> separate_degenerate(RefinementSession& session, const std::vector<int>& rows,
                                     const LeastSquaresResult& fit, std::vector<std::string>& notes)
{
    std::vector<int> remaining = rows;
    for (const VariableCorrelation& c : fit.correlations) {
        if (!(std::fabs(c.coefficient) > kDegenerate))
            continue;
        const int first = session.table.find(c.first), second = session.table.find(c.second);
        const bool bothFree = std::count(remaining.begin(), remaining.end(), first) &&
                              std::count(remaining.begin(), remaining.end(), second);
        if (first < 0 || second < 0 || !bothFree)
            continue;
        ModelParameter& a = session.table.rows[static_cast<std::size_t>(std::min(first, second))];
        ModelParameter& b = session.table.rows[static_cast<std::size_t>(std::max(first, second))];
        const bool axial = a.quantity == Quantity::AxialSL && b.quantity == Quantity::AxialHL;
        if (axial) {
            b.info.value = a.info.value;
            b.ties = {Tie{std::min(first, second), 1}};
            b.info.constraint = "= " + a.info.name;
        } else {
            b.info.held = true;
        }
        std::erase(remaining, std::max(first, second));
        notes.push_back(a.info.name + " and " + b.info.name + " are correlated at " + number(c.coefficient) +
                        ": the diagram cannot tell them apart, " +
                        (axial ? b.info.name + " is tied to " + a.info.name : b.info.name + " is held"));
    }
    return remaining;
}

std::vector<int> rows_on_guard(const RefinementSession& session, const std::vector<int>& rows)
{
    std::vector<int> out;
    for (const int r : rows)
        if (on_guard(session.table.rows[static_cast<std::size_t>(r)]))
            out.push_back(r);
    return out;
}

std::vector<std::string> value_notes(const RefinementResult& result)
{
    std::vector<std::string> notes;
    for (const RefinementParameter& p : result.parameters) {
        if (!p.refined)
            continue;
        if (p.limit != 0)
            notes.push_back(p.name + " rests on its " + (p.limit < 0 ? "lower" : "upper") + " bound (" +
                            number(p.value) + "): it has no su and no correlations");
        if (p.parameter == "B" && p.value < 0)
            notes.push_back(p.name + " is negative (" + number(p.value) + " Å²)");
    }
    return notes;
}

}  // namespace kalidos
