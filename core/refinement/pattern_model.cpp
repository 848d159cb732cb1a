#include "refinement/pattern_model.hpp"

#include <algorithm>
#include <cmath>

#include "computation/cell_metric.hpp"
#include "computation/parallel_for.hpp"
#include "computation/peak_shape.hpp"
#include "computation/peak_terms.hpp"

namespace kalidos {
namespace {

// Reflections this far beyond the points (degrees 2θ) still reach them with their tails, and the
// cell may move them in.
constexpr double kReflectionMargin = 5;
constexpr int kWidthChecks = 64;  // angles of the range at which the widths must be positive
// The squared width (deg²) the edge keeps: a Gaussian FWHM of 0.001°, negligible beside any
// instrument's, and clear of the rounding at which a width of 0 is refused.
constexpr double kWidthFloor = 1e-6;
constexpr double kHalfDegree = 3.141592653589793 / 360;
// The step over which a peak's height, position, width and η are differenced, relative to the
// variable's value and at least kTermStep·kTermStepFloor: these are smooth functions of a few
// arithmetic operations, so a step far below the solver's keeps the axial-divergence copies from
// changing in number within it, and a one-sided difference is within about 1e-6 of the slope
// (rounding below 1e-8 of it), far closer than a fit's linearisation needs.
constexpr double kTermStep = 1e-6, kTermStepFloor = 0.1;

// The angles at which a peak width is checked over [low, high]: a grid, and the vertex of the
// Gaussian width², which is quadratic in tan θ.
std::vector<double> width_check_angles(const StructureModel& m, double low, double high)
{
    std::vector<double> angles;
    for (int i = 0; i <= kWidthChecks; ++i)
        angles.push_back(low + (high - low) * i / kWidthChecks);
    const bool tch = m.profile.function == ProfileFunction::Tch;
    const double u = tch ? m.profile.gaussU : m.u, v = tch ? m.profile.gaussV : m.v;
    if (u > 0) {
        const double vertex = 2 * std::atan(-v / (2 * u)) / (2 * kHalfDegree);
        if (vertex > low && vertex < high)
            angles.push_back(vertex);
    }
    return angles;
}

// The least squared width over [low, high] at the checked angles, and the angle where it is.
std::pair<double, double> least_squared_width(const StructureModel& m, double low, double high)
{
    std::pair<double, double> least{INFINITY, low};
    for (const double twoTheta : width_check_angles(m, low, high))
        if (const double w2 = squared_width(m, twoTheta); w2 < least.first)
            least = {w2, twoTheta};
    return least;
}

// The peak width must be positive at every angle of the range, not only where reflections lie now:
// widths that vanish between them mean nothing, and the cell would move reflections there.
bool widths_positive(const StructureModel& m, double low, double high)
{
    const std::vector<double> angles = width_check_angles(m, low, high);
    return std::none_of(angles.begin(), angles.end(),
                        [&](double twoTheta) { return peak_width_refusal(m, twoTheta) != nullptr; });
}

// What the widths' check depends on: the profile function and its width parameters.
std::vector<double> width_key(const StructureModel& m)
{
    const ProfileSettings& p = m.profile;
    return {static_cast<double>(p.function), m.u, m.v, m.w, p.gaussU, p.gaussV, p.gaussW, p.gaussP, p.lorentzX,
            p.lorentzY, p.sizeNm, p.scherrerK, p.strainPercent, static_cast<double>(p.strainShape)};
}

// widths_positive, checked again only when the width parameters changed.
bool widths_positive(PhaseState& phase, double low, double high)
{
    std::vector<double> key = width_key(*phase.model);
    key.insert(key.end(), {low, high});
    if (key != phase.widthsKey) {
        phase.widthsOk = widths_positive(*phase.model, low, high);
        phase.widthsKey = std::move(key);
    }
    return phase.widthsOk;
}

int slot_of(const ModelParameter& row)
{
    switch (row.quantity) {
    case Quantity::Position: return row.component;
    case Quantity::Biso: return kSlotB;
    case Quantity::Occupancy: return kSlotOccupancy;
    case Quantity::Tensor: return kSlotTensor + row.component;
    default: return -1;
    }
}

void apply_phase_row(const ModelParameter& row, double v, PhaseState& phase)
{
    if (row.quantity == Quantity::Scale)
        phase.scale = v;
    else if (row.quantity == Quantity::OverallB)
        phase.overallB = v;
    else if (row.quantity == Quantity::Intensity)
        phase.squared[static_cast<std::size_t>(row.component)] = v;
    else
        apply_to_model(row, v, *phase.model);
}

bool usable(const ProfileTerm& t)
{
    return t.halfWidth > 0 && std::isfinite(t.halfWidth) && std::isfinite(t.height) && std::isfinite(t.position);
}

// The quantities that act on the intensities and peaks of a phase only through its reflections' 2θ,
// intensity factors and peak shapes, whose columns shape_columns gives. Not the slit ratios of the
// axial divergence: their slope vanishes at 0, where the peak changes its form, and their copies
// change in number; the solver's secant over their own step is what moves them off 0.
bool shapes_peaks(Quantity q)
{
    switch (q) {
    case Quantity::AxialSL:
    case Quantity::AxialHL:
    case Quantity::Background:
    case Quantity::Scale:
    case Quantity::OverallB:
    case Quantity::Position:
    case Quantity::Biso:
    case Quantity::Occupancy:
    case Quantity::Tensor:
    case Quantity::Intensity: return false;
    default: return true;
    }
}

bool same_terms(const std::vector<ProfileTerm>& a, const std::vector<ProfileTerm>& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const ProfileTerm& x, const ProfileTerm& y) {
               return x.position == y.position && x.halfWidth == y.halfWidth && x.eta == y.eta && x.height == y.height;
           });
}

// Every reflection's terms at intensity 1 for `m`; reflection k's are [first[k], first[k + 1]).
// False when a width is refused or a term is not usable.
bool unit_terms(const StructureModel& m, const PhaseIntensities& in, std::vector<ProfileTerm>& terms,
                std::vector<std::size_t>& first)
{
    terms.clear();
    first.clear();
    std::vector<ProfileTerm> copies;
    for (const Reflection& r : in.reflections) {
        first.push_back(terms.size());
        if (!(r.twoTheta > 0))
            continue;
        Reflection unit = r;
        unit.intensity = 1;
        if (!append_profile_terms(m, unit, terms, copies))
            return false;
        if (!std::all_of(terms.begin() + static_cast<long>(first.back()), terms.end(), usable))
            return false;
    }
    first.push_back(terms.size());
    return true;
}

}  // namespace

bool apply_to_model(const ModelParameter& row, double v, StructureModel& m)
{
    ProfileSettings& p = m.profile;
    const bool tch = p.function == ProfileFunction::Tch;
    double* cell[6] = {&m.cell.a, &m.cell.b, &m.cell.c, &m.cell.alpha, &m.cell.beta, &m.cell.gamma};
    switch (row.quantity) {
    case Quantity::Zero: p.zeroShift = v; break;
    case Quantity::Displacement: p.displacementMm = v; break;
    case Quantity::WidthU: (tch ? p.gaussU : m.u) = v; break;
    case Quantity::WidthV: (tch ? p.gaussV : m.v) = v; break;
    case Quantity::WidthW: (tch ? p.gaussW : m.w) = v; break;
    case Quantity::WidthX: p.lorentzX = v; break;
    case Quantity::WidthY: p.lorentzY = v; break;
    case Quantity::AxialSL: p.axialSL = v; break;
    case Quantity::AxialHL: p.axialHL = v; break;
    case Quantity::Transparency: p.transparency = v; break;
    case Quantity::CylinderMuR: p.corrections.cylinderMuR = v; break;
    case Quantity::PlateMuT: p.corrections.plateMuT = v; break;
    case Quantity::RoughnessP: p.corrections.roughnessP = v; break;
    case Quantity::RoughnessQ: p.corrections.roughnessQ = v; break;
    case Quantity::Cell: *cell[row.component] = v; break;
    case Quantity::Size: p.sizeNm = v; break;
    case Quantity::Strain: p.strainPercent = v; break;
    case Quantity::MarchDollase: m.sample.preferred.ratio = v; break;
    case Quantity::Position:
        *(row.component == 0 ? &m.atomX[row.atom] : row.component == 1 ? &m.atomY[row.atom] : &m.atomZ[row.atom]) = v;
        break;
    case Quantity::Biso: m.atomB[row.atom] = v; break;
    case Quantity::Occupancy: m.atomPopulation[row.atom] = v; break;
    case Quantity::Tensor: m.atomAnisotropic[row.atom].u[row.component] = v; break;
    default: return false;
    }
    return true;
}

PatternModel::PatternModel(const RefinementRequest& request, const FitPoints& points, ParameterTable& table)
    : request_(request), points_(points), table_(table)
{
    phases_.resize(request.phases.size());
    for (std::size_t p = 0; p < phases_.size(); ++p) {
        phases_[p].model = std::make_unique<StructureModel>(request.phases[p].model);
        phases_[p].method = request.phases[p].intensities;
    }
    backgroundCoefficients_.assign(static_cast<std::size_t>(points.terms), 0.0);
}

std::string PatternModel::prepare()
{
    const double low = points_.interval.low - kReflectionMargin, high = points_.interval.high + kReflectionMargin;
    for (PhaseState& phase : phases_) {
        const std::string why = phase.reflections.prepare(*phase.model, low, high);
        if (!why.empty())
            return why;
        prepare_groups(phase);
    }
    return {};
}

void PatternModel::set_variables(const std::vector<int>& rows)
{
    variables_ = rows;
    moves_.assign(rows.size(), {});
    for (std::size_t j = 0; j < rows.size(); ++j) {
        moves_[j].push_back({rows[j], 1.0});
        for (std::size_t r = 0; r < table_.rows.size(); ++r)
            for (const Tie& tie : table_.rows[r].ties)
                if (tie.master == rows[j])
                    moves_[j].push_back({static_cast<int>(r), tie.coefficient});
    }
}

std::vector<double> PatternModel::row_values(std::span<const double> values) const
{
    std::vector<double> v(table_.rows.size());
    for (std::size_t r = 0; r < v.size(); ++r)
        v[r] = table_.rows[r].info.value;
    for (std::size_t j = 0; j < variables_.size(); ++j)
        v[static_cast<std::size_t>(variables_[j])] = values[j];
    for (std::size_t r = 0; r < v.size(); ++r)
        for (const Tie& tie : table_.rows[r].ties) {
            const auto m = static_cast<std::size_t>(tie.master);
            v[r] += tie.coefficient * (v[m] - table_.rows[m].info.value);
        }
    return v;
}

void PatternModel::apply_rows(const std::vector<double>& rows)
{
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const ModelParameter& row = table_.rows[r];
        if (row.info.phase < 0) {
            if (row.quantity == Quantity::Background)
                backgroundCoefficients_[static_cast<std::size_t>(row.component)] = rows[r];
            for (PhaseState& phase : phases_)
                apply_to_model(row, rows[r], *phase.model);
            continue;
        }
        const auto p = static_cast<std::size_t>(row.info.phase);
        apply_phase_row(row, rows[r], phases_[p]);
    }
    for (PhaseState& phase : phases_)
        compute_cell_metric(*phase.model);
}

bool PatternModel::build_terms(PhaseState& phase) const
{
    return unit_terms(*phase.model, phase.intensities, phase.unitTerms, phase.firstTerm);
}

std::vector<double> PatternModel::profile_at_points(const PhaseState& phase,
                                                    const std::vector<double>& perReflection) const
{
    std::vector<ProfileTerm> terms;
    terms.reserve(phase.unitTerms.size());
    for (std::size_t k = 0; k + 1 < phase.firstTerm.size(); ++k) {
        if (perReflection[k] == 0)
            continue;
        for (std::size_t t = phase.firstTerm[k]; t < phase.firstTerm[k + 1]; ++t) {
            ProfileTerm term = phase.unitTerms[t];
            term.height *= perReflection[k];
            terms.push_back(term);
        }
    }
    return evaluate_profile_terms(terms, points_.twoTheta);
}

std::vector<double> PatternModel::background() const
{
    // Kept while its coefficients stay: the trial steps of atoms and scales leave it as it is.
    if (backgroundCache_.size() != points_.size() || backgroundCacheKey_ != backgroundCoefficients_) {
        backgroundCache_.resize(points_.size());
        for (std::size_t i = 0; i < backgroundCache_.size(); ++i)
            backgroundCache_[i] = background_value(points_, backgroundCoefficients_, i);
        backgroundCacheKey_ = backgroundCoefficients_;
    }
    return backgroundCache_;
}

// The values of phase p's rows that its intensities depend on: cell, orientation, overall B, atoms.
std::vector<double> PatternModel::intensity_key(std::size_t p, const std::vector<double>& rows) const
{
    std::vector<double> key;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const ModelParameter& row = table_.rows[r];
        const Quantity q = row.quantity;
        if (row.info.phase == static_cast<int>(p) &&
            (q == Quantity::Cell || q == Quantity::MarchDollase || q == Quantity::OverallB || row.atom > 0))
            key.push_back(rows[r]);
    }
    return key;
}

bool PatternModel::edge(std::span<const double> values, std::span<const double> toward, std::vector<double>& gradient,
                        double& room)
{
    apply_rows(row_values(toward));
    std::pair<double, double> least{INFINITY, 0};
    int nearest = -1;
    for (std::size_t p = 0; p < phases_.size(); ++p)
        if (const auto w = least_squared_width(*phases_[p].model, widths_low(), widths_high()); w < least)
            least = w, nearest = static_cast<int>(p);
    if (nearest < 0 || !std::isfinite(least.first))
        return false;
    apply_rows(row_values(values));
    const double t = std::tan(least.second * kHalfDegree);
    gradient.assign(variables_.size(), 0.0);
    bool any = false;
    for (std::size_t j = 0; j < variables_.size(); ++j)
        for (const auto& [row, coefficient] : moves_[j]) {
            const ModelParameter& moved = table_.rows[static_cast<std::size_t>(row)];
            if (moved.info.phase >= 0 && moved.info.phase != nearest)
                continue;
            const Quantity q = moved.quantity;
            const double slope = q == Quantity::WidthU ? t * t : q == Quantity::WidthV ? t : q == Quantity::WidthW ? 1 : 0;
            gradient[j] += coefficient * slope;
            any |= slope != 0;
        }
    room = std::max(0.0, squared_width(*phases_[static_cast<std::size_t>(nearest)].model, least.second) - kWidthFloor);
    return any && std::isfinite(room);
}

// The range of 2θ over which the widths must be positive: the reflections' range.
double PatternModel::widths_low() const
{
    return std::max(points_.interval.low - kReflectionMargin, 0.01);
}

double PatternModel::widths_high() const
{
    return std::min(points_.interval.high + kReflectionMargin, 179.99);
}

// A phase of free intensities: reflection k's intensity from its factor and its group's |F|².
void PatternModel::free_intensities_into(const PhaseState& phase, PhaseIntensities& in) const
{
    if (phase.method != IntensityMethod::Structure)
        for (std::size_t k = 0; k < phase.group.size(); ++k)
            in.reflections[k].intensity = in.factor[k] * phase.squared[static_cast<std::size_t>(phase.group[k])];
}

void PatternModel::sample_terms(PhaseState& phase) const
{
    std::vector<int> row(phase.unitTerms.size());
    for (std::size_t k = 0; k + 1 < phase.firstTerm.size(); ++k)
        for (std::size_t t = phase.firstTerm[k]; t < phase.firstTerm[k + 1]; ++t)
            row[t] = static_cast<int>(k);
    phase.sampled = SampledTerms(phase.unitTerms, row, static_cast<Eigen::Index>(phase.intensities.reflections.size()),
                                 points_.twoTheta);
    phase.sampledTerms = phase.unitTerms;
}

bool PatternModel::evaluate_rows(const std::vector<double>& rows, std::span<double> model)
{
    apply_rows(rows);
    std::vector<double> y = background();
    for (std::size_t p = 0; p < phases_.size(); ++p) {
        PhaseState& phase = phases_[p];
        std::vector<double> key = intensity_key(p, rows);
        if (key != phase.intensityKey || phase.intensities.reflections.empty()) {
            phase.reflections.compute(*phase.model, phase.overallB, false, phase.intensities, &phase.sums);
            phase.intensityKey = std::move(key);
            phase.slopesKey.clear();
        }
        free_intensities_into(phase, phase.intensities);
        if (!widths_positive(phase, widths_low(), widths_high()) || !build_terms(phase))
            return false;
        std::vector<double> perReflection;
        for (const Reflection& r : phase.intensities.reflections)
            perReflection.push_back(r.intensity);
        // The same terms with the same heights: the curve is the one made last (a step of the
        // scales and background alone).
        if (phase.curve.size() == y.size() && perReflection == phase.curveHeights &&
            same_terms(phase.unitTerms, phase.curveTerms)) {
            for (std::size_t i = 0; i < y.size(); ++i)
                y[i] += phase.scale * phase.curve[i];
            continue;
        }
        // The first terms, and terms met twice in a row, are sampled: the scales and background of
        // a fit's start, and the trial steps of atoms, then cost products alone.
        const bool sampled = same_terms(phase.unitTerms, phase.sampledTerms);
        if (!sampled && (phase.sampledTerms.empty() || same_terms(phase.unitTerms, phase.lastTerms)))
            sample_terms(phase);
        if (sampled || same_terms(phase.unitTerms, phase.sampledTerms)) {
            phase.curve = phase.sampled.sum(perReflection);
        } else {
            phase.curve = profile_at_points(phase, perReflection);
            phase.lastTerms = phase.unitTerms;
        }
        phase.curveTerms = phase.unitTerms;
        phase.curveHeights = std::move(perReflection);
        for (std::size_t i = 0; i < y.size(); ++i)
            y[i] += phase.scale * phase.curve[i];
    }
    for (std::size_t i = 0; i < y.size(); ++i) {
        if (!std::isfinite(y[i]))
            return false;
        model[i] = y[i];
    }
    return true;
}

bool PatternModel::evaluate(std::span<const double> values, std::span<double> model)
{
    return evaluate_rows(row_values(values), model);
}

// Whether the model gives variable j's column: every row it moves has an analytic derivative.
bool PatternModel::analytic_variable(std::size_t j) const
{
    for (const auto& [moved, coefficient] : moves_[j])
        if (!table_.rows[static_cast<std::size_t>(moved)].analytic)
            return false;
    return true;
}

// d(intensity of each reflection)/d(variable j) for an overall B or atom variable.
std::vector<double> PatternModel::reflection_slopes(std::size_t j, const PhaseState& phase) const
{
    const ModelParameter& row = table_.rows[static_cast<std::size_t>(variables_[j])];
    const PhaseIntensities& in = phase.intensities;
    std::vector<double> slopes(in.reflections.size(), 0.0);
    const std::size_t atoms = static_cast<std::size_t>(phase.model->atomCount);
    for (std::size_t k = 0; k < slopes.size(); ++k) {
        if (row.quantity == Quantity::Intensity) {
            slopes[k] = phase.group[k] == row.component ? in.factor[k] : 0;
            continue;
        }
        if (row.quantity == Quantity::OverallB) {
            slopes[k] = -2 * in.sSquared[k] * in.reflections[k].intensity;
            continue;
        }
        for (const auto& [moved, coefficient] : moves_[j]) {
            const ModelParameter& m = table_.rows[static_cast<std::size_t>(moved)];
            slopes[k] += coefficient * in.slopes[(k * atoms + static_cast<std::size_t>(m.atom - 1)) * kAtomSlots +
                                                 static_cast<std::size_t>(slot_of(m))];
        }
    }
    return slopes;
}

// The columns of a phase's overall B and atom variables, all through one evaluation of its terms.
void PatternModel::structure_columns(std::size_t p, const std::vector<std::size_t>& columns,
                                     Eigen::MatrixXd& jacobian)
{
    PhaseState& phase = phases_[p];
    const std::size_t reflections = phase.intensities.reflections.size();
    Eigen::MatrixXd slopesT(static_cast<Eigen::Index>(columns.size()), static_cast<Eigen::Index>(reflections));
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::vector<double> s = reflection_slopes(columns[c], phase);
        slopesT.row(static_cast<Eigen::Index>(c)) =
            Eigen::Map<const Eigen::RowVectorXd>(s.data(), static_cast<Eigen::Index>(reflections));
    }
    if (!same_terms(phase.unitTerms, phase.sampledTerms))
        sample_terms(phase);
    const Eigen::MatrixXd valuesT =
        phase.sampled.transposed_columns(slopesT, coarse_tails() ? kFitIntensityTailLevels : 0);
    // Copied over blocks of points, so that the blocks of both layouts stay in the cache.
    constexpr int kBlock = 32;
    const auto points = static_cast<int>(valuesT.cols());
    parallel_for((points + kBlock - 1) / kBlock, [&](int begin, int end) {
        for (int first = begin * kBlock; first < std::min(end * kBlock, points); first += kBlock)
            for (std::size_t c = 0; c < columns.size(); ++c)
                for (int i = first; i < std::min(first + kBlock, points); ++i)
                    jacobian(i, static_cast<Eigen::Index>(columns[c])) =
                        phase.scale * valuesT(static_cast<Eigen::Index>(c), i);
    });
}

void PatternModel::derivatives(std::span<const double> values, std::span<const double>, Eigen::MatrixXd& jacobian,
                               std::vector<char>& analytic)
{
    const bool atomVariables = std::any_of(variables_.begin(), variables_.end(), [&](int r) {
        return slot_of(table_.rows[static_cast<std::size_t>(r)]) >= 0;
    });
    for (PhaseState& phase : phases_)
        if (atomVariables && phase.slopesKey != phase.intensityKey) {
            phase.reflections.compute(*phase.model, phase.overallB, true, phase.intensities, &phase.sums);
            phase.slopesKey = phase.intensityKey;
        }
    std::vector<std::vector<std::size_t>> structural(phases_.size());
    std::vector<std::size_t> shaping;
    for (std::size_t j = 0; j < variables_.size(); ++j) {
        const ModelParameter& row = table_.rows[static_cast<std::size_t>(variables_[j])];
        const auto column = static_cast<Eigen::Index>(j);
        if (!analytic_variable(j)) {
            if (shape_variable(j))
                shaping.push_back(j);
            continue;  // the solver differences it unless shape_columns gives it
        }
        analytic[j] = 1;
        if (row.quantity == Quantity::Background) {
            for (std::size_t i = 0; i < points_.size(); ++i)
                jacobian(static_cast<Eigen::Index>(i), column) =
                    points_.basis[i * static_cast<std::size_t>(points_.terms) + static_cast<std::size_t>(row.component)];
        } else if (row.quantity == Quantity::Scale) {
            const std::vector<double>& curve = phases_[static_cast<std::size_t>(row.info.phase)].curve;
            jacobian.col(column) = Eigen::Map<const Eigen::VectorXd>(curve.data(), static_cast<Eigen::Index>(curve.size()));
        } else {
            structural[static_cast<std::size_t>(row.info.phase)].push_back(j);
        }
    }
    for (std::size_t p = 0; p < phases_.size(); ++p)
        if (!structural[p].empty())
            structure_columns(p, structural[p], jacobian);
    if (!shaping.empty())
        shape_columns(values, shaping, jacobian, analytic);
}

bool PatternModel::shape_variable(std::size_t j) const
{
    return std::all_of(moves_[j].begin(), moves_[j].end(), [&](const std::pair<int, double>& moved) {
        return shapes_peaks(table_.rows[static_cast<std::size_t>(moved.first)].quantity);
    });
}

// Every phase's terms (reflection k's intensity in its heights) at the row values `rows`, or false
// where the model has none there. The models are left at those values.
bool PatternModel::terms_at(const std::vector<double>& rows, std::vector<std::vector<ProfileTerm>>& terms,
                            std::vector<std::vector<std::size_t>>& first)
{
    apply_rows(rows);
    for (std::size_t p = 0; p < phases_.size(); ++p) {
        PhaseState& phase = phases_[p];
        PhaseIntensities moved;
        const PhaseIntensities* in = &phase.intensities;
        if (intensity_key(p, rows) != phase.intensityKey) {
            phase.reflections.compute(*phase.model, phase.overallB, false, moved, &phase.sums);
            free_intensities_into(phase, moved);
            in = &moved;
        }
        if (!widths_positive(phase, widths_low(), widths_high()) ||
            !unit_terms(*phase.model, *in, terms[p], first[p]))
            return false;
        for (std::size_t k = 0; k + 1 < first[p].size(); ++k)
            for (std::size_t t = first[p][k]; t < first[p][k + 1]; ++t)
                terms[p][t].height *= in->reflections[k].intensity;
    }
    return true;
}

// The columns of the variables that move peaks (zero, displacement, transparency, cell, widths,
// asymmetry, size, strain, orientation, absorption): each term's height, position, half width and η
// differenced over the variable's step, which costs the terms alone, and the profile's slopes along
// those changes summed analytically at the points. A variable whose step changes the number of
// terms of a peak (the axial-divergence copies), or leaves the model, is left to the solver.
void PatternModel::shape_columns(std::span<const double> values, const std::vector<std::size_t>& columns,
                                 Eigen::MatrixXd& jacobian, std::vector<char>& analytic)
{
    const std::vector<double> rows = row_values(values);
    const std::size_t phases = phases_.size();
    std::vector<TermChanges> changes(phases);
    std::vector<std::vector<ProfileTerm>> now(phases);
    for (std::size_t p = 0; p < phases; ++p) {
        const PhaseState& phase = phases_[p];
        for (std::size_t k = 0; k + 1 < phase.firstTerm.size(); ++k)
            for (std::size_t t = phase.firstTerm[k]; t < phase.firstTerm[k + 1]; ++t) {
                now[p].push_back(phase.unitTerms[t]);
                now[p].back().height *= phase.intensities.reflections[k].intensity;
            }
        const auto terms = static_cast<Eigen::Index>(now[p].size());
        const auto count = static_cast<Eigen::Index>(columns.size());
        for (Eigen::MatrixXd* m : {&changes[p].height, &changes[p].position, &changes[p].halfWidth, &changes[p].eta})
            *m = Eigen::MatrixXd::Zero(terms, count);
    }
    std::vector<char> given(columns.size(), 1);
    // One side's terms against those at the values themselves: the other side only where that one
    // has no model (a width at its edge) or a peak changes its number of terms there.
    std::vector<std::vector<ProfileTerm>> base(phases), moved(phases);
    std::vector<std::vector<std::size_t>> firstBase(phases), firstMoved(phases);
    const auto same_count = [&](const std::vector<std::vector<std::size_t>>& first) {
        for (std::size_t p = 0; p < phases; ++p)
            if (first[p] != phases_[p].firstTerm)
                return false;
        return true;
    };
    const bool baseOk = terms_at(rows, base, firstBase) && same_count(firstBase);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::size_t j = columns[c];
        const double h = kTermStep * std::max(kTermStepFloor, std::fabs(values[j]));
        std::vector<double> at(values.begin(), values.end());
        double step = 0;
        for (const double side : {h, -h}) {
            at[j] = values[j] + side;
            if (baseOk && h > 0 && terms_at(row_values(at), moved, firstMoved) && same_count(firstMoved)) {
                step = side;
                break;
            }
        }
        if (step == 0) {
            given[c] = 0;
            continue;
        }
        const auto column = static_cast<Eigen::Index>(c);
        for (std::size_t p = 0; p < phases; ++p)
            for (std::size_t t = 0; t < now[p].size(); ++t) {
                const ProfileTerm &a = moved[p][t], &b = base[p][t];
                const auto i = static_cast<Eigen::Index>(t);
                changes[p].height(i, column) = (a.height - b.height) / step;
                changes[p].position(i, column) = (a.position - b.position) / step;
                changes[p].halfWidth(i, column) = (a.halfWidth - b.halfWidth) / step;
                changes[p].eta(i, column) = (a.eta - b.eta) / step;
            }
    }
    apply_rows(rows);  // the models back at the values they were evaluated at
    Eigen::MatrixXd sum = Eigen::MatrixXd::Zero(static_cast<Eigen::Index>(points_.size()),
                                                static_cast<Eigen::Index>(columns.size()));
    const int coarser = coarse_tails() ? kFitSlopeTailLevels : 0;
    for (std::size_t p = 0; p < phases; ++p)
        sum += phases_[p].scale * evaluate_profile_slopes(now[p], changes[p], points_.twoTheta, coarser);
    for (std::size_t c = 0; c < columns.size(); ++c)
        if (given[c]) {
            jacobian.col(static_cast<Eigen::Index>(columns[c])) = sum.col(static_cast<Eigen::Index>(c));
            analytic[columns[c]] = 1;
        }
}

}  // namespace kalidos
