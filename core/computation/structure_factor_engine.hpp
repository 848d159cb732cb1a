// Fast structure-factor sums for a whole reflection list, shared by the wavelength passes of a run.
#pragma once

#include <unordered_map>
#include <vector>

#include "model/results.hpp"
#include "model/structure_model.hpp"

namespace kalidos {

// For each reflection and each group g of atoms, the geometric sum
//     P_g + iQ_g = Σ_{n in g} exp(-B_n s²)·w_n · Σ_j exp(iφ_nj),   φ_nj = 6.283185·(h k l)·(R_j x_n + t_j),
// without the scale K. X-rays group the atoms by element (w_n = atomMultiplicity) so that each
// pass applies its own f0 + f' and f''; neutrons use one group with w_n = atomMultiplicity·Fermi
// length. The sums depend on (h k l) and s = 1/(2d) only, so each is computed once per run.
//
// The arithmetic is that of the direct sum, reordered: the operators sharing a rotation R share
// exp(i·c·(h k l)R·x), which factorises into per-atom tables E_x[h']·E_y[k']·E_z[l'], times the
// atom-independent Σ_j exp(i·c·(h k l)·t_j); an operator -R gives the conjugate factor.
// Atoms with an anisotropic tensor (uses_tensor) have no exp(-B s²); each rotation's image m of
// (h k l) gives them their own exp(-mᵀβm) instead, the same for R and -R since the form is even.
// Reflections are split between threads in fixed blocks and each is summed whole by one thread
// in a fixed order, so the results do not depend on the number of threads.
class StructureFactorEngine {
public:
    enum class Grouping { ByElement, OneFermiWeighted };

    StructureFactorEngine(const StructureModel& model, Grouping grouping);

    int group_count() const { return groups_; }

    // Computes the sums of the reflections of `list` not yet known.
    void prepare(const CountedTable<Reflection>& list);

    // 2·group_count() values P_0, Q_0, P_1, Q_1 ... of a prepared reflection; valid until the
    // next prepare.
    const double* sums(const Reflection& r) const;

private:
    struct RotationClass {
        int rotation[3][3];
        std::vector<Vector3> translations;
        int partner = -1;   // class of -R, summed through the conjugate factor
        bool primary = true;
    };
    struct Request {
        int h, k, l;
        double s;
        std::size_t slot;
    };

    // Per-thread work arrays of compute.
    struct Scratch {
        std::vector<double> accRe, accIm, classRe, classIm, damping;
    };

    void build_rotation_classes(const StructureModel& model);
    void read_tensors(const StructureModel& model);
    void build_tables(int reach);
    void compute(const Request& request, Scratch& scratch);
    void compute_direct(const Request& request);
    void fill_damping(const int m[3], double* damping) const;
    double damping_of(std::size_t atom, const SymmetryOperator& op, const Request& request) const;
    int reach_of(int h, int k, int l) const;
    static long long key(int h, int k, int l);

    // Atoms
    int atoms_ = 0;
    std::vector<double> x_, y_, z_, b_, weight_;
    std::vector<int> group_;
    int groups_ = 0;
    // β_ij of each atom (order 11 22 33 12 13 23; all 0 without a tensor), and whether any has one.
    std::vector<double> beta_[6];
    bool anisotropic_ = false;
    // Operators
    std::vector<SymmetryOperator> operators_;
    std::vector<RotationClass> classes_;
    bool integralRotations_ = true;
    // Per-atom tables exp(i·c·m·x) for m in [-reach, reach], layout [(m + reach)·atoms + n].
    int tableReach_ = -1;
    std::vector<double> tableRe_[3], tableIm_[3];
    // Results
    std::unordered_map<long long, std::size_t> index_;
    std::vector<double> values_;
};

}  // namespace kalidos
