#include "refinement/parameter_table.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <set>

#include "computation/displacement_tensor.hpp"
#include "model/atom_names.hpp"
#include "refinement/symmetry_constraints.hpp"

namespace kalidos {
namespace {

// S/L and H/L enter the peak's shape symmetrically, and near 0 the shape hardly changes with the
// smaller of them: a cycle moves either by at most a usual value.
constexpr double kLargestAxialShift = 0.02;

constexpr const char* kCellNames[6] = {"a", "b", "c", "alpha", "beta", "gamma"};
constexpr const char* kPositionNames[3] = {"x", "y", "z"};
constexpr const char* kTensorNames[6] = {"U11", "U22", "U33", "U12", "U13", "U23"};
constexpr double kStartSizeNm = 1000;       // a released size with none to start from
constexpr double kStartStrainPercent = 0.01;  // a released strain starting at 0 has no slope
constexpr double kStartAxial = 0.02;          // S/L or H/L: nor has an axial divergence at 0
constexpr double kThinnestPlate = 0.01;       // μt
// Starts that barely change the diagram, for a stage tried again from where the one before ended.
constexpr double kSmallSizeNm = 1e4;
constexpr double kSmallStrainPercent = 1e-3;
constexpr double kSmallAxial = 2e-3;
// The physical ranges. Crystallites below a few nanometres give no diffraction peaks of their own;
// microstrain beyond a few percent no crystal keeps. A cell moving 5 % or an angle 5° from its start
// has found another structure's peaks.
constexpr double kSmallestSizeNm = 2, kLargestSizeNm = 1e5;
constexpr double kLargestStrainPercent = 3;
constexpr double kCellReach = 0.05;
constexpr double kAngleReachDegrees = 5;
constexpr double kZeroReachDegrees = 3;
constexpr double kDisplacementReachMm = 3;
constexpr double kLowestB = -10, kHighestB = 50;  // Å², for a B running away

struct Builder {
    ParameterTable& table;

    int add(const std::string& name, const std::string& group, const std::string& parameter, int phase,
            const std::string& atom, double value, Quantity quantity)
    {
        ModelParameter row;
        row.info.name = name;
        row.info.group = group;
        row.info.parameter = parameter;
        row.info.phase = phase;
        row.info.atom = atom;
        row.info.start = row.info.value = value;
        row.quantity = quantity;
        table.rows.push_back(row);
        return static_cast<int>(table.rows.size()) - 1;
    }
    ModelParameter& last() { return table.rows.back(); }
};

// A coefficient or sum as a constraint's text shows it: 2, 0.5, 1.
std::string number_text(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

std::string phase_prefix(int phase)
{
    return std::to_string(phase) + "::";
}

// Fixes or ties rows first..first+n-1 as `ties` says; `why` is the text of a fixed one.
void apply_ties(ParameterTable& table, int first, const ComponentTies& ties, const std::string& why)
{
    const auto n = ties.free.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (ties.free[i])
            continue;
        ModelParameter& row = table.rows[static_cast<std::size_t>(first) + i];
        std::string text;
        for (std::size_t j = 0; j < n; ++j) {
            const double c = ties.along[i][j];
            if (c == 0)
                continue;
            const int master = first + static_cast<int>(j);
            row.ties.push_back(Tie{master, c});
            text += std::string(text.empty() ? "= " : " + ") + (c == 1 ? "" : number_text(c) + "·") +
                    table.rows[static_cast<std::size_t>(master)].info.name;
        }
        row.fixed = row.ties.empty();
        row.info.constraint = row.fixed ? why : text;
    }
}

// The specimen's intensity factors that are switched on, each within the range the settings accept.
void add_corrections(const IntensityCorrections& c, Builder& b)
{
    struct Row {
        bool on;
        const char* name;
        const char* group;
        double value;
        Quantity quantity;
        const ProfileLimit& limit;
    };
    const Row rows[] = {{c.cylinderMuR > 0, "muR", "absorption", c.cylinderMuR, Quantity::CylinderMuR, kCylinderLimit},
                        {c.plateMuT > 0, "muT", "absorption", c.plateMuT, Quantity::PlateMuT, kPlateLimit},
                        {c.roughness(), "roughP", "roughness", c.roughnessP, Quantity::RoughnessP, kRoughnessPLimit},
                        {c.roughness(), "roughQ", "roughness", c.roughnessQ, Quantity::RoughnessQ, kRoughnessQLimit}};
    for (const Row& row : rows) {
        if (!row.on)
            continue;
        b.add(row.name, row.group, row.name, -1, "", row.value, row.quantity);
        // A plate of no thickness diffracts nothing, where μt = 0 in the settings means an infinite one.
        b.last().lower = row.quantity == Quantity::PlateMuT ? kThinnestPlate : row.limit.low;
        b.last().upper = row.limit.high;
        b.last().step = 1e-4;
    }
}

void guard_around(ModelParameter& row, double reach)
{
    row.lower = row.info.value - reach;
    row.upper = row.info.value + reach;
    row.guardLower = row.guardUpper = true;
}

void add_diagram(const StructureModel& m, int backgroundOrder, Builder& b)
{
    const ProfileSettings& p = m.profile;
    const bool tch = p.function == ProfileFunction::Tch;
    b.add("zero", "zero", "zero", -1, "", p.zeroShift, Quantity::Zero);
    b.last().step = 1e-4;
    guard_around(b.last(), kZeroReachDegrees);
    b.add("displacement", "displacement", "displacement", -1, "", p.displacementMm, Quantity::Displacement);
    b.last().step = 1e-3;
    guard_around(b.last(), kDisplacementReachMm);
    const double uvw[3] = {tch ? p.gaussU : m.u, tch ? p.gaussV : m.v, tch ? p.gaussW : m.w};
    const Quantity widths[3] = {Quantity::WidthU, Quantity::WidthV, Quantity::WidthW};
    const ProfileLimit* limits[3] = {&kGaussULimit, &kGaussVLimit, &kGaussWLimit};
    for (int i = 0; i < 3; ++i) {
        b.add(std::string(1, "UVW"[i]), "profile", std::string(1, "UVW"[i]), -1, "", uvw[i], widths[i]);
        b.last().step = 1e-5;
        if (tch) {  // the 50/50 profile's own U, V, W are only bound to give a positive width
            b.last().lower = limits[i]->low;
            b.last().upper = limits[i]->high;
            b.last().guardUpper = true;
            b.last().guardLower = limits[i]->low < 0;
        }
    }
    if (tch) {
        b.add("X", "profile", "X", -1, "", p.lorentzX, Quantity::WidthX);
        b.add("Y", "profile", "Y", -1, "", p.lorentzY, Quantity::WidthY);
        for (ModelParameter* row : {&b.table.rows[b.table.rows.size() - 2], &b.table.rows.back()}) {
            row->step = 1e-5;
            row->lower = kLorentzXLimit.low;
            row->upper = kLorentzXLimit.high;
            row->guardUpper = true;
        }
    }
    b.add("SL", "asymmetry", "SL", -1, "", p.axialSL, Quantity::AxialSL);
    b.add("HL", "asymmetry", "HL", -1, "", p.axialHL, Quantity::AxialHL);
    for (ModelParameter* row : {&b.table.rows[b.table.rows.size() - 2], &b.table.rows.back()}) {
        row->lower = kAxialLimit.low;
        row->upper = kAxialLimit.high;
        row->guardUpper = true;
        // The axial-divergence copies of a peak change in number with S/L and H/L: a step of a
        // tenth of a usual value keeps those jumps small beside the change it measures.
        row->step = 2e-3;
        row->largestShift = kLargestAxialShift;
    }
    // In reflection the specimen's transparency is the peaks' other asymmetry (neutrons pass through it).
    if (m.radiation != kNeutrons) {
        b.add("transparency", "asymmetry", "transparency", -1, "", p.transparency, Quantity::Transparency);
        b.last().lower = kTransparencyLimit.low;
        b.last().upper = kTransparencyLimit.high;
        b.last().guardUpper = true;
        b.last().step = 1e-3;
    }
    add_corrections(p.corrections, b);
    for (int k = 0; k <= backgroundOrder; ++k) {
        const std::string name = "bkg" + std::to_string(k);
        b.add(name, "background", name, -1, "", 0, Quantity::Background);
        b.last().component = k;
        b.last().analytic = true;
    }
}

void add_cell(const StructureModel& m, int phase, Builder& b)
{
    const double values[6] = {m.cell.a, m.cell.b, m.cell.c, m.cell.alpha, m.cell.beta, m.cell.gamma};
    const int first = static_cast<int>(b.table.rows.size());
    for (int i = 0; i < 6; ++i) {
        b.add(phase_prefix(phase) + kCellNames[i], "cell", kCellNames[i], phase, "", values[i], Quantity::Cell);
        b.last().component = i;
        b.last().lower = i < 3 ? values[i] * (1 - kCellReach) : std::max(10.0, values[i] - kAngleReachDegrees);
        b.last().upper = i < 3 ? values[i] * (1 + kCellReach) : std::min(170.0, values[i] + kAngleReachDegrees);
        b.last().guardLower = b.last().guardUpper = true;
        b.last().step = i < 3 ? 1e-5 : 1e-4;
    }
    apply_ties(b.table, first, lattice_ties(m), "fixed by the lattice system");
}

// A phase of free intensities has no use for what only structure factors feel: its scale is in
// its intensities, and its orientation, overall B and atoms change nothing its intensities cannot.
void fix_for_free_intensities(ParameterTable& table, int phase, IntensityMethod method)
{
    const std::string why = std::string("the ") + intensity_method_text(method) + " intensities carry it";
    for (ModelParameter& row : table.rows) {
        const Quantity q = row.quantity;
        if (row.info.phase != phase ||
            !(q == Quantity::Scale || q == Quantity::MarchDollase || q == Quantity::OverallB || row.atom > 0))
            continue;
        row.fixed = true;
        row.ties.clear();
        row.info.constraint = why;
        if (q == Quantity::Scale)
            row.info.start = row.info.value = 1;
    }
}

void add_phase(const StructureModel& m, int phase, Builder& b)
{
    const std::string p = phase_prefix(phase);
    b.add(p + "scale", "scale", "scale", phase, "", 0, Quantity::Scale);
    b.last().analytic = true;
    b.last().lower = 0;  // no phase is present at a negative weight
    add_cell(m, phase, b);
    b.add(p + "size", "size", "size", phase, "", m.profile.sizeNm, Quantity::Size);
    b.last().lower = kSmallestSizeNm;
    b.last().upper = kLargestSizeNm;
    b.last().guardLower = true;
    b.add(p + "strain", "strain", "strain", phase, "", m.profile.strainPercent, Quantity::Strain);
    b.last().lower = 0;
    b.last().upper = kLargestStrainPercent;
    b.last().guardUpper = true;
    b.last().step = 1e-4;
    b.add(p + "r", "preferred", "r", phase, "", m.sample.preferred.ratio, Quantity::MarchDollase);
    b.last().lower = 0.05;
    b.last().upper = 20;
    b.last().guardLower = b.last().guardUpper = true;
    b.last().step = 1e-4;
    b.add(p + "B", "overall", "B", phase, "", 0, Quantity::OverallB);
    b.last().analytic = true;
    b.last().lower = kLowestB;
    b.last().upper = kHighestB;
    b.last().guardLower = b.last().guardUpper = true;
}

void add_atom(const StructureModel& m, int phase, int n, const std::string& atom, Builder& b)
{
    const std::string p = phase_prefix(phase);
    const double xyz[3] = {m.atomX[n], m.atomY[n], m.atomZ[n]};
    const int first = static_cast<int>(b.table.rows.size());
    for (int i = 0; i < 3; ++i) {
        b.add(p + kPositionNames[i] + ":" + atom, "xyz", kPositionNames[i], phase, atom, xyz[i], Quantity::Position);
        b.last().component = i;
    }
    apply_ties(b.table, first, position_ties(m, n), "fixed by the site symmetry");
    const bool tensor = uses_tensor(m, n);
    b.add(p + "B:" + atom, "biso", "B", phase, atom, m.atomB[n], Quantity::Biso);
    b.last().lower = std::min(kLowestB, m.atomB[n]);
    b.last().upper = std::max(kHighestB, m.atomB[n]);
    b.last().guardLower = b.last().guardUpper = true;
    if (tensor) {
        b.last().fixed = true;
        b.last().info.constraint = "from the anisotropic tensor";
    }
    b.add(p + "occ:" + atom, "occupancy", "occ", phase, atom, m.atomPopulation[n], Quantity::Occupancy);
    b.last().lower = 0;
    b.last().upper = std::max(1.0, m.atomPopulation[n]);  // a site is at most full
    if (tensor) {
        const int firstU = static_cast<int>(b.table.rows.size());
        for (int i = 0; i < 6; ++i) {
            b.add(p + kTensorNames[i] + ":" + atom, "adp", kTensorNames[i], phase, atom, m.atomAnisotropic[n].u[i],
                  Quantity::Tensor);
            b.last().component = i;
        }
        apply_ties(b.table, firstU, tensor_ties(m, n), "fixed by the site symmetry");
    }
    for (int i = first; i < static_cast<int>(b.table.rows.size()); ++i) {
        ModelParameter& row = b.table.rows[static_cast<std::size_t>(i)];
        row.atom = n;
        row.analytic = true;
    }
}

// The rows of the named atoms of one phase; empty with `why` filled when a name is unknown.
std::vector<int> atom_rows(const ParameterTable& t, int phase, const std::vector<std::string>& atoms,
                           const std::string& parameter, std::string& why)
{
    std::vector<int> rows;
    for (const std::string& atom : atoms) {
        const int row = t.find(phase_prefix(phase) + parameter + ":" + atom);
        if (row < 0) {
            why = "no atom " + atom + " in phase " + std::to_string(phase);
            return {};
        }
        rows.push_back(row);
    }
    return rows;
}

std::string check_group_atoms(const ParameterTable& t, const std::vector<int>& rows, std::set<int>& used)
{
    for (const int r : rows) {
        const ModelParameter& row = t.rows[static_cast<std::size_t>(r)];
        if (row.fixed || !row.ties.empty())
            return row.info.name + " cannot be constrained: " + row.info.constraint;
        if (!used.insert(r).second)
            return row.info.name + " is in two constraints";
    }
    return {};
}

std::string add_shared_b(const RefinementRequest& request, ParameterTable& t, std::set<int>& used)
{
    for (const SharedDisplacement& group : request.sharedB) {
        std::string why;
        const std::vector<int> rows = atom_rows(t, group.phase, group.atoms, "B", why);
        if (rows.empty())
            return why.empty() ? "a shared B without atoms" : why;
        if (!(why = check_group_atoms(t, rows, used)).empty())
            return why;
        ModelParameter& first = t.rows[static_cast<std::size_t>(rows.front())];
        for (std::size_t i = 1; i < rows.size(); ++i) {
            ModelParameter& row = t.rows[static_cast<std::size_t>(rows[i])];
            row.info.start = row.info.value = first.info.value;  // one B: the first atom's
            row.ties = {Tie{rows.front(), 1}};
            row.info.constraint = "= " + first.info.name;
        }
    }
    return {};
}

std::string add_occupancy_sums(const RefinementRequest& request, ParameterTable& t, std::set<int>& used)
{
    for (const OccupancySum& group : request.occupancySums) {
        std::string why;
        const std::vector<int> rows = atom_rows(t, group.phase, group.atoms, "occ", why);
        if (rows.size() < 2)
            return why.empty() ? "an occupancy sum needs two atoms or more" : why;
        if (!(why = check_group_atoms(t, rows, used)).empty())
            return why;
        double sum = 0;
        for (const int r : rows)
            sum += t.rows[static_cast<std::size_t>(r)].info.value;
        ModelParameter& last = t.rows[static_cast<std::size_t>(rows.back())];
        std::string others;
        for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
            last.ties.push_back(Tie{rows[i], -1});
            others += " − " + t.rows[static_cast<std::size_t>(rows[i])].info.name;
        }
        last.info.constraint = "= " + number_text(sum) + others;
    }
    return {};
}

// Whether two sites are one: the same place within rounding, modulo a lattice translation.
bool same_site(const StructureModel& m, int a, int b)
{
    const double d[3] = {m.atomX[a] - m.atomX[b], m.atomY[a] - m.atomY[b], m.atomZ[a] - m.atomZ[b]};
    return std::all_of(std::begin(d), std::end(d), [](double x) { return std::fabs(x - std::round(x)) < 1e-4; });
}

// Row `r` moves with row `master` one for one (from its own value: the calculation it starts from
// is the file's), when neither is fixed, tied or in a constraint already.
void follow(ParameterTable& t, int r, int master, std::set<int>& used)
{
    ModelParameter& row = t.rows[static_cast<std::size_t>(r)];
    const ModelParameter& lead = t.rows[static_cast<std::size_t>(master)];
    if (row.fixed || lead.fixed || !row.ties.empty() || !lead.ties.empty() || used.count(r) || used.count(master))
        return;
    row.ties = {Tie{master, 1}};
    row.info.constraint = "moves with " + lead.info.name + " (one site)";
    used.insert(r);
}

// Atoms that share a site (a mixed occupation) move as one place and one B: refined apart, the pair
// is singular and one B runs off with what the other should carry. Each moves with the site's first
// atom, unless a constraint of the request names it.
void tie_shared_sites(const RefinementRequest& request, ParameterTable& t, std::set<int>& used)
{
    for (std::size_t p = 0; p < request.phases.size(); ++p) {
        const StructureModel& m = request.phases[p].model;
        const std::vector<std::string> names = atom_names(m);
        const std::string prefix = phase_prefix(static_cast<int>(p));
        for (int n = 2; n <= m.atomCount; ++n) {
            int first = 1;
            while (first < n && !same_site(m, first, n))
                ++first;
            if (first == n)
                continue;
            const std::string& atom = names[static_cast<std::size_t>(n - 1)];
            const std::string& lead = names[static_cast<std::size_t>(first - 1)];
            for (const char* parameter : {"x", "y", "z", "B"}) {
                const int r = t.find(prefix + parameter + ":" + atom), master = t.find(prefix + parameter + ":" + lead);
                if (r >= 0 && master >= 0)
                    follow(t, r, master, used);
            }
        }
    }
}

}  // namespace

std::vector<int> linear_rows(const ParameterTable& table)
{
    std::vector<int> rows;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const Quantity q = table.rows[r].quantity;
        if (q == Quantity::Scale || q == Quantity::Background)
            rows.push_back(static_cast<int>(r));
    }
    return rows;
}

FreeVariable free_variable(const ModelParameter& row)
{
    FreeVariable v;
    v.name = row.info.name;
    v.value = row.info.value;
    v.step = row.quantity == Quantity::Size ? 1e-3 * row.info.value : row.step;
    v.lower = row.lower;
    v.upper = row.upper;
    v.largestShift = row.largestShift;
    return v;
}

int ParameterTable::find(const std::string& name) const
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].info.name == name)
            return static_cast<int>(i);
    return -1;
}

std::vector<std::string> atom_names(const StructureModel& m)
{
    std::vector<std::string> names;
    for (int n = 1; n <= m.atomCount; ++n) {
        std::string element;  // Ca, as the element is written, whatever case the table holds
        for (const char c : m.atomSymbol[n]) {
            if (!std::isalpha(static_cast<unsigned char>(c)))
                break;
            const auto letter = static_cast<unsigned char>(c);
            element += static_cast<char>(element.empty() ? std::toupper(letter) : std::tolower(letter));
        }
        std::string label;
        for (const char c : m.atomLabel[n])
            if (!std::isspace(static_cast<unsigned char>(c)))
                label += c;
        names.push_back(element + label);
    }
    return unique_atom_names(names, m, "#");
}

std::string build_parameter_table(const RefinementRequest& request, ParameterTable& table)
{
    table = {};
    if (request.phases.empty())
        return "no phase to refine";
    if (request.backgroundOrder < 0 || request.backgroundOrder > 12)
        return "the background order must lie between 0 and 12";
    Builder b{table};
    add_diagram(request.phases.front().model, request.backgroundOrder, b);
    for (std::size_t p = 0; p < request.phases.size(); ++p) {
        const StructureModel& m = request.phases[p].model;
        const int phase = static_cast<int>(p);
        add_phase(m, phase, b);
        const std::vector<std::string> names = atom_names(m);
        for (int n = 1; n <= m.atomCount; ++n)
            add_atom(m, phase, n, names[static_cast<std::size_t>(n - 1)], b);
        if (request.phases[p].intensities != IntensityMethod::Structure)
            fix_for_free_intensities(table, phase, request.phases[p].intensities);
    }
    std::set<int> used;
    std::string why = add_shared_b(request, table, used);
    if (why.empty())
        why = add_occupancy_sums(request, table, used);
    if (why.empty())
        tie_shared_sites(request, table, used);
    return why;
}

std::vector<int> add_intensity_rows(ParameterTable& table, int phase, const std::vector<std::string>& names,
                                    const std::vector<double>& values, const std::vector<char>& inRange)
{
    Builder b{table};
    std::vector<int> rows(names.size(), -1);
    for (std::size_t g = 0; g < names.size(); ++g) {
        if (!inRange[g])
            continue;
        rows[g] = b.add(phase_prefix(phase) + "F2(" + names[g] + ")", "intensities", "F2", phase, "", values[g],
                        Quantity::Intensity);
        b.last().component = static_cast<int>(g);
        b.last().lower = 0;  // an intensity is never negative
        b.last().analytic = true;
    }
    return rows;
}

namespace {

bool group_known(const std::string& group)
{
    return std::any_of(std::begin(kRefinementGroups), std::end(kRefinementGroups),
                       [&](const char* g) { return group == g; });
}

// A released size, strain or axial divergence at 0 has nothing to start from.
void give_start(ModelParameter& row, bool small)
{
    if (row.quantity == Quantity::Size && !(row.info.value > 0))
        row.info.value = small ? kSmallSizeNm : kStartSizeNm;
    if (row.quantity == Quantity::Strain && !(row.info.value > 0))
        row.info.value = small ? kSmallStrainPercent : kStartStrainPercent;
    if ((row.quantity == Quantity::AxialSL || row.quantity == Quantity::AxialHL) && !(row.info.value > 0))
        row.info.value = small ? kSmallAxial : kStartAxial;
}

std::string release_token(const std::string& token, ParameterTable& t, std::set<int>& released)
{
    const std::size_t colons = token.find("::");
    const std::string group = colons == std::string::npos ? token : token.substr(colons + 2);
    const int phase = colons == std::string::npos ? -2 : std::atoi(token.substr(0, colons).c_str());
    const int named = t.find(token);
    std::vector<int> rows;
    if (named >= 0) {
        const ModelParameter& row = t.rows[static_cast<std::size_t>(named)];
        if (row.fixed || !row.ties.empty())
            return token + " cannot be refined: " + row.info.constraint;
        t.rows[static_cast<std::size_t>(named)].named = true;
        rows.push_back(named);
    } else if (group_known(group)) {
        bool exists = false;
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            const ModelParameter& row = t.rows[i];
            if (row.info.group != group || (phase != -2 && row.info.phase != phase && row.info.phase != -1))
                continue;
            exists = true;
            if (!row.fixed && row.ties.empty())
                rows.push_back(static_cast<int>(i));
        }
        if (!exists)
            return group == "adp" ? "adp: no atom has an anisotropic displacement tensor"
                                  : token + ": no such parameter in the structures";
    } else {
        return "unknown parameter or group " + token;
    }
    for (const int r : rows)
        if (!released.insert(r).second)
            return t.rows[static_cast<std::size_t>(r)].info.name + " is named twice";
    return {};
}

}  // namespace

std::string release_stages(const RefinementRequest& request, std::size_t stage, ParameterTable& table,
                           std::vector<int>& released)
{
    std::set<int> set;
    for (std::size_t s = 0; s <= stage && s < request.stages.size(); ++s)
        for (const std::string& token : request.stages[s]) {
            const std::string why = release_token(token, table, set);
            if (!why.empty())
                return why;
        }
    released.assign(set.begin(), set.end());
    for (ModelParameter& row : table.rows)
        row.info.refined = set.count(static_cast<int>(&row - table.rows.data())) > 0 ||
                           std::any_of(row.ties.begin(), row.ties.end(),
                                       [&](const Tie& tie) { return set.count(tie.master) > 0; });
    return {};
}

void give_start_values(ParameterTable& table, const std::vector<int>& rows, bool small)
{
    for (const int r : rows)
        give_start(table.rows[static_cast<std::size_t>(r)], small);
}

int on_bound(const ModelParameter& row)
{
    const double v = row.info.value;
    return v <= row.lower ? -1 : v >= row.upper ? 1 : 0;
}

bool on_guard(const ModelParameter& row)
{
    const int bound = on_bound(row);
    return (bound < 0 && row.guardLower) || (bound > 0 && row.guardUpper);
}

}  // namespace kalidos
