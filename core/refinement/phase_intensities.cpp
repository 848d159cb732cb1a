#include "refinement/phase_intensities.hpp"

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>

#include "computation/cell_metric.hpp"
#include "computation/displacement_tensor.hpp"
#include "computation/intensity_pass.hpp"
#include "computation/parallel_for.hpp"
#include "computation/preferred_orientation.hpp"
#include "computation/reflection_generation.hpp"
#include "computation/scattering.hpp"
#include "computation/site_multiplicity.hpp"
#include "computation/structure_factor.hpp"
#include "ui/messages.hpp"  // for SilentMessages

namespace kalidos {
namespace {

using Complex = std::complex<double>;

// As the calculation turns θ into 2θ (its diagrams put the peaks there; 360/π differs by 1.4e-6).
constexpr double kRadiansToTwoTheta = 114.5914;
constexpr double kTwoPiSquared = 19.739208802178716;
constexpr int kPairs[6][2] = {{0, 0}, {1, 1}, {2, 2}, {0, 1}, {0, 2}, {1, 2}};

// Per atom: its images per operator of the table times the structure-factor scale K, as the
// calculation weighs each atom (atomMultiplicity·K at population 1).
std::vector<double> site_factors(const StructureModel& model)
{
    auto scratch = std::make_unique<StructureModel>(model);
    for (int n = 1; n <= scratch->atomCount; ++n)
        scratch->atomPopulation[n] = 1;
    auto results = std::make_unique<CalculationResults>();
    compute_site_multiplicities(*scratch, *results);
    std::vector<double> factors;
    for (int n = 1; n <= scratch->atomCount; ++n)
        factors.push_back(scratch->atomMultiplicity[n] * results->structureFactorScale);
    return factors;
}

}  // namespace

std::string PhaseReflectionSet::prepare(const StructureModel& model, double low, double high)
{
    forms_.clear();
    siteFactor_ = site_factors(model);
    auto scratch = std::make_unique<StructureModel>(model);
    scratch->enteredTwoTheta1 = std::max(low, 0.01);
    scratch->enteredTwoTheta2 = std::min(high, 179.99);
    scratch->latticeLetter = scratch->spaceGroupSymbol.substr(0, 1);
    CountedTable<Reflection> list(kReflectionCapacity);
    SilentMessages messages;
    for (int w = 1; w <= model.wavelengths.count; ++w) {
        scratch->wavelengths.current = model.wavelengths.values[w];
        if (!generate_reflections(*scratch, list, messages)) {
            if (!messages.last.empty())
                return messages.last;
            continue;
        }
        for (const Reflection& r : list)
            forms_.push_back(Form{r.h, r.k, r.l, r.multiplicity, w});
    }
    if (forms_.empty())
        return "no reflection of " + model.title + " between " + std::to_string(low) + " and " +
               std::to_string(high) + "° 2θ";
    return {};
}

namespace {

std::vector<double> atom_places(const StructureModel& m)
{
    std::vector<double> places;
    for (int n = 1; n <= m.atomCount; ++n)
        places.insert(places.end(), {m.atomX[n], m.atomY[n], m.atomZ[n]});
    return places;
}

}  // namespace

void PhaseReflectionSet::compute(const StructureModel& m, double overallB, bool slopes, PhaseIntensities& out,
                                 AtomPhaseSums* kept) const
{
    const std::size_t count = forms_.size();
    const auto atoms = static_cast<std::size_t>(m.atomCount);
    bool anisotropic = false;
    for (int n = 1; n <= m.atomCount; ++n)
        anisotropic |= uses_tensor(m, n);
    const Complex* given = nullptr;
    Complex* made = nullptr;
    if (kept && !anisotropic) {
        std::vector<double> places = atom_places(m);
        if (places == kept->places && kept->g.size() == count * atoms) {
            given = kept->g.data();
        } else {
            kept->places = std::move(places);
            kept->g.assign(count * atoms, Complex{});
            made = kept->g.data();
        }
    }
    out.reflections.assign(count, Reflection{});
    out.sSquared.assign(count, 0.0);
    out.factor.assign(count, 0.0);
    if (slopes)
        out.slopes.assign(count * atoms * kAtomSlots, 0.0);
    const PreferredOrientationFactors preferred(m);
    const double perCell = per_cell_intensity_factor(m);
    parallel_for(static_cast<int>(count), [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const Form& f = forms_[static_cast<std::size_t>(i)];
            Reflection& r = out.reflections[static_cast<std::size_t>(i)];
            r.h = f.h, r.k = f.k, r.l = f.l, r.multiplicity = f.multiplicity;
            r.lambda = m.wavelengths.values[f.pass];
            r.d = 1 / std::sqrt(reciprocal_length_squared(m, f.h, f.k, f.l));
            const double sine = r.lambda / (2 * r.d);
            if (!(sine < 1))
                continue;
            const double theta = std::asin(sine), s = 1 / (2 * r.d);
            r.twoTheta = theta * kRadiansToTwoTheta;
            out.sSquared[static_cast<std::size_t>(i)] = s * s;
            double* slope = slopes ? &out.slopes[static_cast<std::size_t>(i) * atoms * kAtomSlots] : nullptr;
            double squared = 0;
            const std::size_t at = static_cast<std::size_t>(i) * atoms;
            compute_form(m, static_cast<std::size_t>(i), s, slopes, squared, slope, given ? given + at : nullptr,
                         made ? made + at : nullptr);
            const double factor = perCell * m.wavelengths.weights[f.pass] * f.multiplicity * lorentz_polarisation(m, theta) *
                                  preferred(f.h, f.k, f.l) * std::exp(-2 * overallB * s * s);
            r.intensity = factor * squared;
            out.factor[static_cast<std::size_t>(i)] = factor;
            if (slope)
                for (std::size_t q = 0; q < atoms * kAtomSlots; ++q)
                    slope[q] *= factor;
        }
    });
}

namespace {

// The sums of one atom over the operators: G = Σ_j D_j·exp(iφ_j) and its derivatives with respect
// to x, y, z and the six U^ij (those with `slopes` only).
struct AtomSums {
    Complex g, position[3], tensor[6];
};

AtomSums atom_sums(const StructureModel& m, int n, const int hkl[3], const double* beta, const double* uScale,
                   bool slopes)
{
    AtomSums sums{};
    const double x[3] = {m.atomX[n], m.atomY[n], m.atomZ[n]};
    for (int j = 1; j <= m.operatorCount; ++j) {
        const auto& op = m.operators[j].m;
        double image[3], phase = 0;
        for (int c = 0; c < 3; ++c) {
            image[c] = hkl[0] * op[0][c] + hkl[1] * op[1][c] + hkl[2] * op[2][c];
            phase += image[c] * x[c] + hkl[c] * op[c][3];
        }
        const double damping = beta ? std::exp(-beta_form(beta, image[0], image[1], image[2])) : 1.0;
        const Complex e = std::polar(damping, kPhaseTwoPi * phase);
        sums.g += e;
        if (!slopes)
            continue;
        for (int c = 0; c < 3; ++c)  // i·2π·image·e, without the library's general complex product
            sums.position[c] += Complex(-kPhaseTwoPi * image[c] * e.imag(), kPhaseTwoPi * image[c] * e.real());
        if (beta)
            for (int q = 0; q < 6; ++q)
                sums.tensor[q] -= uScale[q] * image[kPairs[q][0]] * image[kPairs[q][1]] * e;
    }
    return sums;
}

// Values of one reflection kept by their key (an element's scattering factor, a B's Debye–Waller
// factor), each made once for all the atoms that share it; beyond kKept keys, made each time.
template <class Key, class Value>
class PerReflection {
public:
    template <class Make>
    Value get(Key key, Make&& make)
    {
        for (int i = 0; i < count_; ++i)
            if (key_[i] == key)
                return value_[i];
        const Value made = make();
        if (count_ < kKept) {
            key_[count_] = key;
            value_[count_++] = made;
        }
        return made;
    }

private:
    static constexpr int kKept = 8;
    Key key_[kKept] = {};
    Value value_[kKept] = {};
    int count_ = 0;
};

// d(|F+|² + |F−|²)/2 for the changes dF+ = a·dG and dF− = a·conj(dG).
double squared_slope(Complex fPlus, Complex fMinus, Complex a, Complex dg)
{
    return std::real(std::conj(fPlus) * a * dg) + std::real(std::conj(fMinus) * a * std::conj(dg));
}

}  // namespace

void PhaseReflectionSet::compute_form(const StructureModel& m, std::size_t index, double s, bool slopes,
                                      double& squared, double* slope, const Complex* given, Complex* made) const
{
    const Form& f = forms_[index];
    const int hkl[3] = {f.h, f.k, f.l};
    const bool neutrons = m.radiation == kNeutrons;
    const ReciprocalLengths star = reciprocal_lengths(m.cell);
    const double lengths[3] = {star.a, star.b, star.c};
    std::vector<AtomSums> sums(static_cast<std::size_t>(m.atomCount));
    std::vector<Complex> perOccupancy(sums.size());
    PerReflection<int, Complex> elements;
    PerReflection<double, double> dampings;
    Complex fPlus, fMinus;
    for (int n = 1; n <= m.atomCount; ++n) {
        const bool tensor = uses_tensor(m, n);
        double beta[6], uScale[6];
        if (tensor) {
            beta_of(star, m.atomAnisotropic[n], beta);
            for (int q = 0; q < 6; ++q)
                uScale[q] = kTwoPiSquared * lengths[kPairs[q][0]] * lengths[kPairs[q][1]] * (q < 3 ? 1 : 2);
        }
        const auto at = static_cast<std::size_t>(n - 1);
        if (given && !slopes) {
            sums[at].g = given[at];
        } else {
            sums[at] = atom_sums(m, n, hkl, tensor ? beta : nullptr, uScale, slopes);
            if (made)
                made[at] = sums[at].g;
        }
        Complex scattering(m.atomFermiLength[n], 0);
        if (!neutrons)
            scattering = elements.get(m.atomElementIndex[n], [&] {
                const ScatteringFactor x = atom_scattering_factor(m, m.atomElementIndex[n], f.pass, s);
                return Complex(x.f, x.fSecond);
            });
        perOccupancy[at] = siteFactor_[at] * (tensor ? 1.0 : dampings.get(m.atomB[n], [&] { return std::exp(-m.atomB[n] * s * s); })) * scattering;
        const Complex a = m.atomPopulation[n] * perOccupancy[at];
        fPlus += a * sums[at].g;
        fMinus += a * std::conj(sums[at].g);
    }
    squared = (std::norm(fPlus) + std::norm(fMinus)) / 2;
    if (!slopes)
        return;
    for (std::size_t at = 0; at < sums.size(); ++at) {
        const int n = static_cast<int>(at) + 1;
        const Complex a = m.atomPopulation[n] * perOccupancy[at];
        double* q = slope + at * kAtomSlots;
        for (int c = 0; c < 3; ++c)
            q[c] = squared_slope(fPlus, fMinus, a, sums[at].position[c]);
        if (!uses_tensor(m, n))
            q[kSlotB] = squared_slope(fPlus, fMinus, -s * s * a, sums[at].g);
        q[kSlotOccupancy] = squared_slope(fPlus, fMinus, perOccupancy[at], sums[at].g);
        if (uses_tensor(m, n))
            for (int u = 0; u < 6; ++u)
                q[kSlotTensor + u] = squared_slope(fPlus, fMinus, a, sums[at].tensor[u]);
    }
}

}  // namespace kalidos
