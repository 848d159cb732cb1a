#include "computation/structure_factor_engine.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "computation/displacement_tensor.hpp"
#include "computation/parallel_for.hpp"
#include "computation/structure_factor.hpp"

namespace kalidos {
namespace {

bool same_rotation(const int a[3][3], const int b[3][3], int sign)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (a[i][j] != sign * b[i][j])
                return false;
    return true;
}

// (h k l)·R as a row vector.
void image(const int r[3][3], int h, int k, int l, int out[3])
{
    for (int j = 0; j < 3; ++j)
        out[j] = h * r[0][j] + k * r[1][j] + l * r[2][j];
}

// The inner loop over atoms: acc += Re/Im of E·T_R + conj(E)·T_-R with E = E_x·E_y·E_z.
void accumulate(int atoms, const double* xr, const double* xi, const double* yr, const double* yi,
                const double* zr, const double* zi, double alpha, double beta, double gamma, double delta,
                double* __restrict accRe, double* __restrict accIm)
{
    for (int n = 0; n < atoms; ++n) {
        const double pr = xr[n] * yr[n] - xi[n] * yi[n];
        const double pi = xr[n] * yi[n] + xi[n] * yr[n];
        const double er = pr * zr[n] - pi * zi[n];
        const double ei = pr * zi[n] + pi * zr[n];
        accRe[n] += er * alpha + ei * beta;
        accIm[n] += er * gamma + ei * delta;
    }
}

// The same with each atom's term damped by its own factor for this rotation.
void accumulate_damped(int atoms, const double* xr, const double* xi, const double* yr, const double* yi,
                       const double* zr, const double* zi, const double* damping, double alpha, double beta,
                       double gamma, double delta, double* __restrict accRe, double* __restrict accIm)
{
    for (int n = 0; n < atoms; ++n) {
        const double pr = xr[n] * yr[n] - xi[n] * yi[n];
        const double pi = xr[n] * yi[n] + xi[n] * yr[n];
        const double er = (pr * zr[n] - pi * zi[n]) * damping[n];
        const double ei = (pr * zi[n] + pi * zr[n]) * damping[n];
        accRe[n] += er * alpha + ei * beta;
        accIm[n] += er * gamma + ei * delta;
    }
}

}  // namespace

StructureFactorEngine::StructureFactorEngine(const StructureModel& model, Grouping grouping)
{
    atoms_ = model.atomCount;
    groups_ = grouping == Grouping::ByElement ? model.elementCount : 1;
    for (int n = 1; n <= atoms_; ++n) {
        x_.push_back(model.atomX[n]);
        y_.push_back(model.atomY[n]);
        z_.push_back(model.atomZ[n]);
        b_.push_back(model.atomB[n]);
        int group = 0;
        double weight = model.atomMultiplicity[n];
        if (grouping == Grouping::ByElement) {
            group = model.atomElementIndex[n] - 1;
            if (group < 0 || group >= groups_) {
                group = 0;
                weight = 0;  // an atom without an element scatters nothing
            }
        } else {
            weight *= model.atomFermiLength[n];
        }
        group_.push_back(group);
        weight_.push_back(weight);
    }
    for (int j = 1; j <= model.operatorCount; ++j)
        operators_.push_back(model.operators[j]);
    build_rotation_classes(model);
    read_tensors(model);
}

void StructureFactorEngine::read_tensors(const StructureModel& model)
{
    const ReciprocalLengths star = reciprocal_lengths(model.cell);
    for (auto& component : beta_)
        component.assign(static_cast<std::size_t>(atoms_), 0.0);
    for (int n = 1; n <= atoms_; ++n) {
        if (!uses_tensor(model, n))
            continue;
        double beta[6];
        beta_of(star, model.atomAnisotropic[n], beta);
        const std::size_t a = static_cast<std::size_t>(n - 1);
        for (int i = 0; i < 6; ++i)
            beta_[i][a] = beta[i];
        b_[a] = 0;  // the tensor replaces exp(-B s²)
        anisotropic_ = true;
    }
}

// exp(-mᵀβm) of every atom for the image m; exactly 1 for an atom without a tensor.
void StructureFactorEngine::fill_damping(const int m[3], double* damping) const
{
    const double m0 = m[0], m1 = m[1], m2 = m[2];
    const double w[6] = {m0 * m0, m1 * m1, m2 * m2, 2 * m0 * m1, 2 * m0 * m2, 2 * m1 * m2};
    const double *b0 = beta_[0].data(), *b1 = beta_[1].data(), *b2 = beta_[2].data();
    const double *b3 = beta_[3].data(), *b4 = beta_[4].data(), *b5 = beta_[5].data();
    for (int n = 0; n < atoms_; ++n)
        damping[n] = std::exp(-(b0[n] * w[0] + b1[n] * w[1] + b2[n] * w[2] + b3[n] * w[3] + b4[n] * w[4] +
                                b5[n] * w[5]));
}

double StructureFactorEngine::damping_of(std::size_t a, const SymmetryOperator& op, const Request& q) const
{
    double m[3];
    for (int j = 0; j < 3; ++j)
        m[j] = q.h * op.m[0][j] + q.k * op.m[1][j] + q.l * op.m[2][j];
    const double beta[6] = {beta_[0][a], beta_[1][a], beta_[2][a], beta_[3][a], beta_[4][a], beta_[5][a]};
    return std::exp(-beta_form(beta, m[0], m[1], m[2]));
}

void StructureFactorEngine::build_rotation_classes(const StructureModel& model)
{
    for (int j = 1; j <= model.operatorCount; ++j) {
        const SymmetryOperator& op = model.operators[j];
        RotationClass c;
        for (int r = 0; r < 3; ++r)
            for (int s = 0; s < 3; ++s) {
                c.rotation[r][s] = static_cast<int>(std::lround(op.m[r][s]));
                if (std::fabs(op.m[r][s] - c.rotation[r][s]) > 1e-9)
                    integralRotations_ = false;
            }
        const Vector3 t{op.m[0][3], op.m[1][3], op.m[2][3]};
        auto found = std::find_if(classes_.begin(), classes_.end(),
                                  [&](const RotationClass& k) { return same_rotation(k.rotation, c.rotation, 1); });
        if (found != classes_.end()) {
            found->translations.push_back(t);
            continue;
        }
        c.translations.push_back(t);
        classes_.push_back(c);
    }
    for (std::size_t p = 0; p < classes_.size(); ++p) {
        if (!classes_[p].primary)
            continue;
        for (std::size_t q = p + 1; q < classes_.size(); ++q)
            if (classes_[q].primary && same_rotation(classes_[p].rotation, classes_[q].rotation, -1)) {
                classes_[p].partner = static_cast<int>(q);
                classes_[q].primary = false;
                break;
            }
    }
}

long long StructureFactorEngine::key(int h, int k, int l)
{
    return ((static_cast<long long>(h) + (1 << 20)) << 42) | ((static_cast<long long>(k) + (1 << 20)) << 21) |
           (static_cast<long long>(l) + (1 << 20));
}

int StructureFactorEngine::reach_of(int h, int k, int l) const
{
    int reach = 0;
    for (const RotationClass& c : classes_) {
        int m[3];
        image(c.rotation, h, k, l, m);
        reach = std::max({reach, std::abs(m[0]), std::abs(m[1]), std::abs(m[2])});
    }
    return reach;
}

void StructureFactorEngine::build_tables(int reach)
{
    tableReach_ = reach;
    const std::size_t size = static_cast<std::size_t>(2 * reach + 1) * static_cast<std::size_t>(atoms_);
    const std::vector<double>* coordinates[3] = {&x_, &y_, &z_};
    for (int axis = 0; axis < 3; ++axis) {
        tableRe_[axis].assign(size, 0);
        tableIm_[axis].assign(size, 0);
        parallel_for(2 * reach + 1, [&](int begin, int end) {
            for (int row = begin; row < end; ++row)
                for (int n = 0; n < atoms_; ++n) {
                    const double phi = kPhaseTwoPi * ((row - reach) * (*coordinates[axis])[static_cast<std::size_t>(n)]);
                    const std::size_t at = static_cast<std::size_t>(row) * static_cast<std::size_t>(atoms_) + static_cast<std::size_t>(n);
                    tableRe_[axis][at] = std::cos(phi);
                    tableIm_[axis][at] = std::sin(phi);
                }
        });
    }
}

void StructureFactorEngine::prepare(const CountedTable<Reflection>& list)
{
    std::vector<Request> requests;
    int reach = 0;
    for (const Reflection& r : list) {
        const long long k = key(r.h, r.k, r.l);
        if (index_.count(k))
            continue;
        const std::size_t slot = values_.size();
        index_.emplace(k, slot);
        values_.resize(slot + 2 * static_cast<std::size_t>(groups_), 0.0);
        requests.push_back({r.h, r.k, r.l, 1 / (2 * r.d), slot});
        reach = std::max(reach, reach_of(r.h, r.k, r.l));
    }
    if (requests.empty())
        return;
    if (integralRotations_ && reach > tableReach_)
        build_tables(reach);
    parallel_for(static_cast<int>(requests.size()), [&](int begin, int end) {
        const std::size_t atoms = static_cast<std::size_t>(atoms_);
        Scratch scratch{std::vector<double>(atoms), std::vector<double>(atoms), std::vector<double>(classes_.size()),
                        std::vector<double>(classes_.size()), std::vector<double>(anisotropic_ ? atoms : 0)};
        for (int i = begin; i < end; ++i) {
            const Request& request = requests[static_cast<std::size_t>(i)];
            if (integralRotations_)
                compute(request, scratch);
            else
                compute_direct(request);
        }
    });
}

void StructureFactorEngine::compute(const Request& q, Scratch& scratch)
{
    std::vector<double>&accRe = scratch.accRe, &accIm = scratch.accIm;
    std::vector<double>&classRe = scratch.classRe, &classIm = scratch.classIm;
    for (std::size_t c = 0; c < classes_.size(); ++c) {
        double re = 0, im = 0;
        for (const Vector3& t : classes_[c].translations) {
            const double phi = kPhaseTwoPi * (q.h * t.x + q.k * t.y + q.l * t.z);
            re += std::cos(phi);
            im += std::sin(phi);
        }
        classRe[c] = re;
        classIm[c] = im;
    }
    std::fill(accRe.begin(), accRe.end(), 0.0);
    std::fill(accIm.begin(), accIm.end(), 0.0);
    const std::size_t stride = static_cast<std::size_t>(atoms_);
    for (std::size_t c = 0; c < classes_.size(); ++c) {
        const RotationClass& rc = classes_[c];
        if (!rc.primary)
            continue;
        int m[3];
        image(rc.rotation, q.h, q.k, q.l, m);
        const double tr = classRe[c], ti = classIm[c];
        const double ur = rc.partner >= 0 ? classRe[static_cast<std::size_t>(rc.partner)] : 0.0;
        const double ui = rc.partner >= 0 ? classIm[static_cast<std::size_t>(rc.partner)] : 0.0;
        const std::size_t rows[3] = {static_cast<std::size_t>(m[0] + tableReach_) * stride,
                                     static_cast<std::size_t>(m[1] + tableReach_) * stride,
                                     static_cast<std::size_t>(m[2] + tableReach_) * stride};
        if (anisotropic_) {
            fill_damping(m, scratch.damping.data());
            accumulate_damped(atoms_, &tableRe_[0][rows[0]], &tableIm_[0][rows[0]], &tableRe_[1][rows[1]],
                              &tableIm_[1][rows[1]], &tableRe_[2][rows[2]], &tableIm_[2][rows[2]],
                              scratch.damping.data(), tr + ur, ui - ti, ti + ui, tr - ur, accRe.data(), accIm.data());
            continue;
        }
        accumulate(atoms_, &tableRe_[0][rows[0]], &tableIm_[0][rows[0]], &tableRe_[1][rows[1]],
                   &tableIm_[1][rows[1]], &tableRe_[2][rows[2]], &tableIm_[2][rows[2]], tr + ur, ui - ti, ti + ui,
                   tr - ur, accRe.data(), accIm.data());
    }
    double* out = &values_[q.slot];
    for (int n = 0; n < atoms_; ++n) {
        const std::size_t a = static_cast<std::size_t>(n);
        const double w = weight_[a] * std::exp(-b_[a] * q.s * q.s);
        const std::size_t g = 2 * static_cast<std::size_t>(group_[a]);
        out[g] += w * accRe[a];
        out[g + 1] += w * accIm[a];
    }
}

// Operators whose rotations are not whole numbers (a damaged table) are summed one by one.
void StructureFactorEngine::compute_direct(const Request& q)
{
    double* out = &values_[q.slot];
    for (int n = 0; n < atoms_; ++n) {
        const std::size_t a = static_cast<std::size_t>(n);
        double re = 0, im = 0;
        for (const SymmetryOperator& op : operators_) {
            const auto& m = op.m;
            const double x1 = m[0][0] * x_[a] + m[0][1] * y_[a] + m[0][2] * z_[a] + m[0][3];
            const double x2 = m[1][0] * x_[a] + m[1][1] * y_[a] + m[1][2] * z_[a] + m[1][3];
            const double x3 = m[2][0] * x_[a] + m[2][1] * y_[a] + m[2][2] * z_[a] + m[2][3];
            const double phi = kPhaseTwoPi * (q.h * x1 + q.k * x2 + q.l * x3);
            const double damping = anisotropic_ ? damping_of(a, op, q) : 1.0;
            re += damping * std::cos(phi);
            im += damping * std::sin(phi);
        }
        const double w = weight_[a] * std::exp(-b_[a] * q.s * q.s);
        const std::size_t g = 2 * static_cast<std::size_t>(group_[a]);
        out[g] += w * re;
        out[g + 1] += w * im;
    }
}

const double* StructureFactorEngine::sums(const Reflection& r) const
{
    return &values_[index_.at(key(r.h, r.k, r.l))];
}

}  // namespace kalidos
