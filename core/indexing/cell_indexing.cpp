#include "indexing/cell_indexing.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include <time.h>  // clock_gettime: the search's own processor time

#include "indexing/dichotomy_search.hpp"
#include "indexing/extinction_symbol.hpp"
#include "indexing/lattice_settings.hpp"
#include "indexing/niggli_reduction.hpp"
#include "indexing/superlattice_check.hpp"
#include "indexing/zone_search.hpp"

namespace kalidos {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kUsefulM20 = 5;
// A cell of one or two free terms that indexes the lines does so with few calculated lines; where
// its calculated lines are so dense that M20 could not reach this, the lines it indexes are chance
// coincidences that a lower symmetry describes as well, and searching them costs most of the time.
constexpr double kUsefulHighSymmetryM20 = 10;
// Degrees within which the angles of a lattice fitted as triclinic (from the zones, or a sublattice
// of a cell found) give it a cell of higher symmetry: the six free terms fit the lines' errors,
// which move the angles of a 20-line fit by a few tenths of a degree.
constexpr double kSettingAngle = 0.5;
// The best lattices found whose sublattices of index 2 and 3 are tried.
constexpr std::size_t kSublatticeParents = 15;
// The best cells of a system (by M20) whose centrings are tried.
constexpr std::size_t kCentringTrials = 60;
// Reduced cells within this share of each metric term are one lattice.
constexpr double kSameLattice = 0.006;
// A lower-symmetry description of a lattice replaces a higher one when its score is this many times
// higher: the constrained cell then misplaces lines beyond what the data's errors allow.
constexpr double kLowerSymmetryAdvantage = 2;

// Seconds of processor time the calling thread has used: the search's budgets are counted in it so
// that a loaded machine, which gives the thread less of the clock, gives the same answer.
double thread_seconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Reflections of a general form of each system's Laue class: the lines a cell of volume V calculates
// up to Q are at least (4π/3)·Q^{3/2}·V / this.
double general_multiplicity(LatticeSystem system)
{
    switch (system) {
    case LatticeSystem::Cubic: return 48;
    case LatticeSystem::Tetragonal: return 16;
    case LatticeSystem::Hexagonal: return 24;
    case LatticeSystem::Orthorhombic: return 8;
    case LatticeSystem::Monoclinic: return 4;
    case LatticeSystem::Triclinic: return 2;
    }
    return 2;
}

std::vector<long> solution_key(const FormParameters& p, int terms, double zero)
{
    std::vector<long> key{std::lround(std::log(p[0]) * 1e5)};
    for (int j = 1; j < terms; ++j)
        key.push_back(std::lround(p[static_cast<std::size_t>(j)] / p[0] * 1e5));
    key.push_back(std::lround(zero * 1e3));
    return key;
}

FitSettings fit_settings(const IndexingSettings& s)
{
    FitSettings f;
    f.tolerance = s.tolerance;
    f.zeroRange = s.zeroRange;
    f.searchedLines = s.searchedLines;
    f.allowedMissing = s.allowedMissing;
    return f;
}

// The cells of one system: every leaf of the dichotomy refined once.
std::vector<CellFit> search_system(LatticeSystem system, const IndexingLines& lines, const IndexingSettings& settings,
                                   double minVolume, double maxVolume, const std::function<bool()>& stop,
                                   SystemSearch& report)
{
    DichotomySettings d;
    d.tolerance = settings.tolerance;
    d.zeroRange = lines.measuredInTwoTheta ? settings.zeroRange : 0.0;
    d.longestAxis = longest_axis(system);
    d.minVolume = minVolume;
    d.maxVolume = maxVolume;
    d.allowedMissing = settings.allowedMissing;
    d.lineCount = settings.searchedLines;
    DichotomySearch search(system, lines, d);
    const FitSettings fitting = fit_settings(settings);
    const int terms = parameter_count(system);
    std::set<std::vector<long>> started, refined;  // the leaves' solutions, and those refined from them
    std::vector<CellFit> found;
    const auto examine = [&](const DichotomyLeaf& leaf) {
        std::vector<Hkl> hkl;
        std::vector<char> use;
        for (const int c : leaf.classOfLine) {
            hkl.push_back(c >= 0 ? search.classes()[static_cast<std::size_t>(c)].hkl : Hkl{});
            use.push_back(c >= 0);
        }
        FormParameters p = leaf.parameters;
        double zero = leaf.zero;
        if (!solve_terms(system, hkl, use, lines, d.zeroRange, p, zero))
            p = leaf.parameters, zero = leaf.zero;
        if (!started.insert(solution_key(p, terms, zero)).second)
            return;
        CellFit fit;
        if (fit_cell(system, 'P', p, zero, lines, fitting, fit) && fit.m20 >= kUsefulM20 &&
            refined.insert(solution_key(fit.parameters, terms, fit.zero)).second)
            found.push_back(fit);
    };
    report.complete = search.run(examine, stop);
    report.boxes = search.nodes();
    report.solutions = found.size();
    return found;
}

// The centring that indexes as many lines with the highest M20, tried on the best cells. A centred
// cell must index as many lines: the primitive cell's extra lines that catch what it leaves are as
// often real lines (weak reflections breaking the centring) as impurities.
void choose_centrings(std::vector<CellFit>& fits, const IndexingLines& lines, const IndexingSettings& settings)
{
    std::sort(fits.begin(), fits.end(), [](const CellFit& x, const CellFit& y) { return x.score() > y.score(); });
    const FitSettings fitting = fit_settings(settings);
    for (std::size_t i = 0; i < std::min(fits.size(), kCentringTrials); ++i) {
        CellFit best = fits[i];
        for (const char* c = centrings_of(fits[i].system); *c; ++c) {
            CellFit centred;
            if (*c != 'P' &&
                fit_cell(fits[i].system, *c, fits[i].parameters, fits[i].zero, lines, fitting, centred) &&
                centred.unindexed <= fits[i].unindexed && centred.m20 > best.m20)
                best = centred;
        }
        fits[i] = best;
    }
}

FoundCell found_cell(const CellFit& fit)
{
    FoundCell cell;
    cell.fit = fit;
    cell.volume = volume_of(fit.cell);
    cell.reduced = niggli_reduce(primitive_cell(fit.cell, fit.centring)).cell;
    return cell;
}

// One cell per lattice: the highest symmetry found for it, unless a lower one scores far better.
std::vector<FoundCell> one_per_lattice(std::vector<FoundCell> cells)
{
    std::stable_sort(cells.begin(), cells.end(), [](const FoundCell& x, const FoundCell& y) {
        return x.system() != y.system() ? x.system() < y.system() : x.fit.score() > y.fit.score();
    });
    std::vector<FoundCell> kept;
    for (FoundCell& cell : cells) {
        const auto same = std::find_if(kept.begin(), kept.end(), [&](const FoundCell& k) {
            return same_lattice(k.reduced, cell.reduced, kSameLattice);
        });
        if (same == kept.end())
            kept.push_back(std::move(cell));
        else if (cell.system() != same->system() && cell.fit.score() > kLowerSymmetryAdvantage * same->fit.score())
            *same = std::move(cell);
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const FoundCell& x, const FoundCell& y) { return x.fit.score() > y.fit.score(); });
    return kept;
}

// A cell that calculates every line of a cell below it moves below that cell unless the lines it
// indexes beyond it are unlikely to be chance (superlattices, lower symmetries whose split lines
// catch impurities), or unless both calculate the same lines and it has the higher symmetry.
void rank_simpler_first(std::vector<FoundCell>& cells, const IndexingLines& lines, double tolerance)
{
    std::vector<std::vector<double>> angles;
    for (const FoundCell& cell : cells)
        angles.push_back(calculated_angles(cell.fit, lines, tolerance));
    const auto move_one = [&] {
        for (std::size_t i = 0; i < cells.size(); ++i)
            for (std::size_t j = i + 1; j < cells.size(); ++j) {
                // Two cells of one pattern (a metric coincidence such as a tetragonal c/a of √2):
                // the higher symmetry stays above.
                const bool samePattern = holds_every_line(angles[j], angles[i], tolerance);
                // A cell of lower symmetry whose lattice the other's contains (a sublattice that
                // systematic absences of the other's group make look enough) passes it only by its
                // score, which weighs the terms it frees.
                if (!holds_every_line(angles[i], angles[j], tolerance) ||
                    parameter_count(cells[j].system()) > parameter_count(cells[i].system()) ||
                    (samePattern && parameter_count(cells[i].system()) <= parameter_count(cells[j].system())) ||
                    chance_of_extra_lines(cells[i].fit, angles[i], cells[j].fit, angles[j], lines, tolerance) <
                        kExtraLinesChance)
                    continue;
                std::rotate(cells.begin() + static_cast<long>(i), cells.begin() + static_cast<long>(i) + 1,
                            cells.begin() + static_cast<long>(j) + 1);
                std::rotate(angles.begin() + static_cast<long>(i), angles.begin() + static_cast<long>(i) + 1,
                            angles.begin() + static_cast<long>(j) + 1);
                return true;
            }
        return false;
    };
    for (std::size_t rounds = 0; rounds < cells.size() * cells.size() && move_one(); ++rounds) {
    }
}

}  // namespace

std::size_t fewest_lines(LatticeSystem system)
{
    return static_cast<std::size_t>(kLinesPerParameter * (parameter_count(system) + 1));
}

double longest_axis(LatticeSystem system)
{
    switch (system) {
    case LatticeSystem::Cubic: return 40;
    case LatticeSystem::Tetragonal:
    case LatticeSystem::Hexagonal: return 60;
    case LatticeSystem::Orthorhombic:
    case LatticeSystem::Monoclinic: return 30;
    case LatticeSystem::Triclinic: return 25;
    }
    return 25;
}

double largest_useful_volume(LatticeSystem system, const IndexingLines& lines, const IndexingSettings& settings)
{
    const std::size_t n20 = std::min<std::size_t>(20, lines.twoTheta.size());
    if (n20 == 0)
        return 0;
    double error = 0;  // the mean |ΔQ| of lines spread evenly within the tolerance's third
    for (std::size_t i = 0; i < n20; ++i)
        error += q_slope(lines.twoTheta[i], lines.wavelength) * settings.tolerance / 3;
    error /= static_cast<double>(n20);
    const double q20 = q_of_two_theta(lines.twoTheta[n20 - 1], lines.wavelength);
    const double m20 = parameter_count(system) <= 3 ? kUsefulHighSymmetryM20 : kUsefulM20;
    const double mostLines = q20 / (2 * error * m20);
    return mostLines * general_multiplicity(system) / (4 * kPi / 3 * std::pow(q20, 1.5));
}

namespace {

// The search, system after system from the highest symmetry down (the tetragonal and hexagonal
// together), each over volume shells smallest cells first (as Louër's
// programs scan them): once a cell convinces, larger cells of its system are not looked for, and
// lower systems are searched only for cells no larger (a convincing supercell that catches the
// impurity lines must not hide the smaller lattice that leaves them out) and, beyond three
// parameters, not at all: their parameters index most lines of a high-symmetry diagram in countless
// ways, at great cost and to no purpose.
constexpr int kMostParametersOnceConvinced = 3;

// The systems whose shells are searched side by side: the tetragonal and hexagonal. The
// orthorhombic search comes before the monoclinic one: searched side by side, chance monoclinic
// cells of small volume took the time of orthorhombic cells of 1000 to 2500 Å³.
bool searched_together(LatticeSystem x, LatticeSystem y)
{
    return parameter_count(x) == parameter_count(y);
}

// The share of the time limit spent when the search of each system (with those of as many
// parameters) must stop: the cheap high symmetries cannot take the time of the lower ones, and what
// a system leaves is the next one's.
double time_share(LatticeSystem system)
{
    switch (system) {
    case LatticeSystem::Cubic: return 0.05;
    case LatticeSystem::Tetragonal:
    case LatticeSystem::Hexagonal: return 0.2;
    case LatticeSystem::Orthorhombic: return 0.55;
    case LatticeSystem::Monoclinic: return 0.8;
    case LatticeSystem::Triclinic: return 1;
    }
    return 1;
}

// The share at which the zone search of low-symmetry lattices stops (it comes after the tetragonal
// and hexagonal searches).
constexpr double kZoneTimeShare = 0.35;

class ShellSearch {
public:
    ShellSearch(const IndexingLines& lines, const IndexingSettings& settings, IndexingResult& result)
        : lines_(lines), settings_(settings), result_(result)
    {
        for (int s = 0; s < kLatticeSystems; ++s) {
            SystemSearch& report = result_.searches.emplace_back();
            report.system = static_cast<LatticeSystem>(s);
            limits_[static_cast<std::size_t>(s)] =
                settings.maxVolume > 0 ? settings.maxVolume : largest_useful_volume(report.system, lines, settings);
        }
    }

    // The systems from `first` to before `last`, those searched together side by side, shell by
    // shell, until one of their cells convinces, their limits are reached or their share of the time
    // limit is spent.
    void run(int first, int last)
    {
        for (int s = first; s < last && !cancelled_;) {
            int end = s;
            while (end < last && searched_together(static_cast<LatticeSystem>(end), static_cast<LatticeSystem>(s)))
                ++end;
            deadline_ = settings_.timeLimit * time_share(static_cast<LatticeSystem>(s));
            const int terms = parameter_count(static_cast<LatticeSystem>(s));
            const bool before = convinced(terms);
            for (double low = 0, high = kFirstShell; !stopped() && !(convinced(terms) && !before); low = high, high *= 2) {
                bool any = false;
                for (int t = s; t < end; ++t)
                    any = search(static_cast<LatticeSystem>(t), low, high) || any;
                if (!any)
                    break;
            }
            s = end;
        }
    }

    // The lattices the zones give, as triclinic cells and in each setting of higher symmetry their
    // metric allows; made only while no cell of the highest symmetries convinces, as the monoclinic
    // and triclinic searches.
    void zones()
    {
        const auto monoclinic = static_cast<std::size_t>(LatticeSystem::Monoclinic);
        const auto triclinic = static_cast<std::size_t>(LatticeSystem::Triclinic);
        if (convinced() || cancelled_ || lines_.twoTheta.size() < fewest_lines(LatticeSystem::Orthorhombic) ||
            !(settings_.systems[static_cast<std::size_t>(LatticeSystem::Orthorhombic)] || settings_.systems[monoclinic] ||
              settings_.systems[triclinic]))
            return;
        deadline_ = settings_.timeLimit * kZoneTimeShare;
        ZoneSettings z;
        z.tolerance = settings_.tolerance;
        z.zeroRange = lines_.measuredInTwoTheta ? settings_.zeroRange : 0.0;
        z.maxVolume = std::min(std::max(limits_[monoclinic], limits_[triclinic]), convincing_volume(kMaxParameters));
        z.minAxis = kShortestAxis;
        z.allowedMissing = settings_.allowedMissing;
        z.lineCount = settings_.searchedLines;
        for (const ZoneLattice& lattice : zone_lattices(lines_, z, stop_))
            fit_lattice(lattice.reduced, lattice.zero);
    }

    // The lattice of a reduced cell fitted as triclinic and, from the cell that fit refines, in every
    // setting of higher symmetry its metric allows; those of more than `mostParameters` terms kept
    // only with an M20 above `lowerM20`.
    void fit_lattice(const UnitCell& reduced, double zero, int mostParameters = kMaxParameters, double lowerM20 = 0)
    {
        CellFit triclinic;
        if (!fit_cell(LatticeSystem::Triclinic, 'P', parameters_of(LatticeSystem::Triclinic, reduced), zero, lines_,
                      fit_settings(settings_), triclinic))
            return;
        std::vector<ConventionalSetting> cells = conventional_settings(niggli_reduce(triclinic.cell).cell, kSettingAngle);
        if (settings_.systems[static_cast<std::size_t>(LatticeSystem::Triclinic)] && triclinic.m20 >= kUsefulM20 &&
            lines_.twoTheta.size() >= fewest_lines(LatticeSystem::Triclinic) &&
            (parameter_count(LatticeSystem::Triclinic) <= mostParameters || triclinic.m20 > lowerM20))
            add(triclinic);
        fit_settings_of(cells, triclinic.zero, mostParameters, lowerM20);
    }

    // Each cell fitted in its system, from the zero error given; those that index the lines kept.
    void fit_settings_of(const std::vector<ConventionalSetting>& cells, double zero, int mostParameters, double lowerM20)
    {
        const FitSettings fitting = fit_settings(settings_);
        for (const ConventionalSetting& c : cells) {
            const auto s = static_cast<std::size_t>(c.system);
            CellFit fit;
            const bool ok = settings_.systems[s] && lines_.twoTheta.size() >= fewest_lines(c.system) &&
                            fit_cell(c.system, c.centring, parameters_of(c.system, c.cell), zero, lines_, fitting, fit);
            if (ok && fit.m20 >= kUsefulM20 && (parameter_count(c.system) <= mostParameters || fit.m20 > lowerM20))
                add(fit);
        }
    }

    // The lattices of which a found cell is a supercell of index 2 or 3 (the cell's lattice with one
    // more translation, a half or a third of one of its vectors), each fitted in every setting its
    // metric allows of no lower symmetry than the cell's: a supercell that catches impurity lines,
    // or a cell whose search found it first (a tetragonal cell of a cubic lattice, a hexagonal P
    // cell of an R lattice), would otherwise hide the lattice that indexes the diagram's own lines.
    // Lower symmetries are kept only with a higher M20 than the cell's: the absences of a group's
    // glides and screws make a smaller cell of lower symmetry look enough, whose freer terms then
    // catch a few lines more, but its split lines leave its M20 below the cell's.
    void sublattices()
    {
        std::vector<FoundCell> parents = cells_;
        std::sort(parents.begin(), parents.end(),
                  [](const FoundCell& x, const FoundCell& y) { return x.fit.score() > y.fit.score(); });
        // Each sublattice once, with the fewest terms and the highest M20 of the cells it lies in.
        struct Sublattice {
            UnitCell reduced;
            double zero = 0;
            int parameters = 0;
            double m20 = 0;
        };
        std::vector<Sublattice> subs;
        std::vector<UnitCell> tried;
        for (const FoundCell& parent : parents) {
            if (tried.size() == kSublatticeParents || cancelled_)
                break;
            if (std::any_of(tried.begin(), tried.end(), [&](const UnitCell& c) { return same_lattice(c, parent.reduced, kSameLattice); }))
                continue;
            tried.push_back(parent.reduced);
            for (const int n : {2, 3})
                for (int code = 1; code < n * n * n; ++code) {
                    const Eigen::Vector3i t(code % n, code / n % n, code / (n * n));
                    int first = 0;
                    while (t(first) == 0)
                        ++first;
                    if (t(first) != 1)
                        continue;  // the same lattice as a multiple of t
                    Eigen::Matrix3d p = Eigen::Matrix3d::Identity();
                    p.col(first) = t.cast<double>() / n;
                    const UnitCell sub = niggli_reduce(transformed_cell(parent.reduced, p)).cell;
                    if (std::min({sub.a, sub.b, sub.c}) < 0.98 * kShortestAxis)
                        continue;
                    const int terms = parameter_count(parent.system());
                    const auto same = std::find_if(subs.begin(), subs.end(), [&](const Sublattice& x) {
                        return same_lattice(x.reduced, sub, kSameLattice);
                    });
                    if (same == subs.end())
                        subs.push_back({sub, parent.fit.zero, terms, parent.fit.m20});
                    else
                        same->parameters = std::min(same->parameters, terms), same->m20 = std::max(same->m20, parent.fit.m20);
                }
        }
        for (const Sublattice& sub : subs)
            fit_lattice(sub.reduced, sub.zero, sub.parameters, sub.m20);
    }

    // Whether a cell of at most `terms` free terms convinces, and the smallest volume of those that do.
    bool convinced(int terms = kMaxParameters) const { return convincing_volume(terms) < kNoVolume; }
    double convincing_volume(int terms) const
    {
        return *std::min_element(convincingVolume_.begin(), convincingVolume_.begin() + terms + 1);
    }
    bool stopped() const { return stop_(); }
    bool cancelled() const { return cancelled_; }
    std::vector<FoundCell>& cells() { return cells_; }
    const std::function<bool()>& stop_function() const { return stop_; }

private:
    static constexpr double kFirstShell = 250;  // Å³

    // One system in one shell; false when the shell is beyond what the system searches (or the
    // system is not searched at all).
    bool search(LatticeSystem system, double low, double high)
    {
        const std::size_t s = static_cast<std::size_t>(system);
        const int terms = parameter_count(system);
        const double top = std::min({high, limits_[s], convincing_volume(terms)});
        if (!settings_.systems[s] || low >= top || lines_.twoTheta.size() < fewest_lines(system) ||
            (convinced(terms) && terms > kMostParametersOnceConvinced))
            return false;
        if (settings_.progress)
            settings_.progress(system);
        SystemSearch& report = result_.searches[s];
        SystemSearch shell;
        const double begun = thread_seconds();
        std::vector<CellFit> fits = search_system(system, lines_, settings_, low, top, stop_, shell);
        choose_centrings(fits, lines_, settings_);
        for (const CellFit& fit : fits)
            add(fit);
        report.searched = true;
        report.complete = report.complete && shell.complete;
        report.maxVolume = std::max(report.maxVolume, top);
        report.boxes += shell.boxes;
        report.solutions += shell.solutions;
        report.seconds += thread_seconds() - begun;
        return true;
    }

    void add(const CellFit& fit)
    {
        FoundCell cell = found_cell(fit);
        // A centring can make the lattice's shortest translation shorter than any searched edge.
        if (std::min({cell.reduced.a, cell.reduced.b, cell.reduced.c}) < 0.98 * kShortestAxis)
            return;
        cells_.push_back(std::move(cell));
        if (fit.m20 >= kConvincingM20) {
            double& v = convincingVolume_[static_cast<std::size_t>(parameter_count(fit.system))];
            v = std::min(v, 1.02 * cells_.back().volume);
        }
    }

    const IndexingLines& lines_;
    const IndexingSettings& settings_;
    IndexingResult& result_;
    std::array<double, kLatticeSystems> limits_{};
    std::vector<FoundCell> cells_;
    // Per number of free terms: the smallest volume of a convincing cell. A search is held to the
    // cells no larger than those of as many terms or fewer that convince (the zones find cells of
    // every system before the orthorhombic search, whose cells they must not cut).
    static constexpr double kNoVolume = std::numeric_limits<double>::infinity();
    std::array<double, kMaxParameters + 1> convincingVolume_ = [] {
        std::array<double, kMaxParameters + 1> v{};
        v.fill(kNoVolume);
        return v;
    }();
    const double start_ = thread_seconds();
    double deadline_ = 0;  // processor seconds from start_ at which the systems being searched stop
    mutable bool cancelled_ = false;
    const std::function<bool()> stop_ = [this] {
        cancelled_ = cancelled_ || (settings_.cancelled && settings_.cancelled());
        if (cancelled_)
            return true;
        return settings_.timeLimit > 0 && thread_seconds() - start_ > deadline_;
    };
};

}  // namespace

namespace {

// Free intensities fit the noise a little better with every reflection and free parameter a cell
// adds, so a candidate passes the one above it only with a clearly lower Rwp: a lattice that misses
// lines does far worse, while a supercell or a lower symmetry that calculates the same lines does
// a few per cent better (found so on the measured fluorite, zincite and corundum).
constexpr double kClearlyBetter = 0.8;

bool fits_better(const FoundCell& x, const FoundCell& y)
{
    const double infinity = std::numeric_limits<double>::infinity();
    return x.rwp.value_or(infinity) < kClearlyBetter * y.rwp.value_or(infinity);
}

}  // namespace

void rerank_by_fit(std::vector<FoundCell>& cells, const WholePatternCheck& fit, std::size_t checked)
{
    if (!fit)
        return;
    checked = std::min(cells.size(), checked);
    for (std::size_t i = 0; i < checked; ++i)
        cells[i].rwp = fit(cells[i]);
    // Insertion: each cell passes those above it that it fits better (the relation is not an order
    // a sort may assume).
    for (std::size_t i = 1; i < checked; ++i)
        for (std::size_t j = i; j > 0 && fits_better(cells[j], cells[j - 1]); --j)
            std::swap(cells[j], cells[j - 1]);
}

IndexingResult find_cells(const IndexingLines& lines, const IndexingSettings& settings)
{
    IndexingResult result;
    for (int s = 0; s < kLatticeSystems; ++s) {
        const LatticeSystem system = static_cast<LatticeSystem>(s);
        if (settings.systems[static_cast<std::size_t>(s)] && lines.twoTheta.size() < fewest_lines(system))
            result.notes.push_back("The " + system_name(system, 'P') + " system is not searched: it needs " +
                                   std::to_string(fewest_lines(system)) + " lines, the list holds " +
                                   std::to_string(lines.twoTheta.size()));
    }
    ShellSearch search(lines, settings, result);
    const int triclinic = static_cast<int>(LatticeSystem::Triclinic);
    const int orthorhombic = static_cast<int>(LatticeSystem::Orthorhombic);
    search.run(0, orthorhombic);
    search.zones();
    search.run(orthorhombic, triclinic);
    // The triclinic search is long and its cells index almost anything: it is made only when no
    // higher symmetry convinced.
    if (!search.convinced())
        search.run(triclinic, triclinic + 1);
    search.sublattices();
    for (const SystemSearch& s : result.searches)
        if (s.searched && !s.complete)
            result.notes.push_back("The " + system_name(s.system, 'P') + " search stopped " +
                                   (search.cancelled() ? "when asked" : "at its share of the time limit") +
                                   ": it is incomplete");
    result.cells = one_per_lattice(std::move(search.cells()));
    // Each kept cell's unindexed lines placed within the tolerance where some cell of the lattice
    // does so: a line the least squares leave just beyond it would count against the cell as an
    // impurity.
    for (FoundCell& cell : result.cells)
        if (place_unindexed_lines(lines, fit_settings(settings), cell.fit))
            cell = found_cell(cell.fit);
    std::stable_sort(result.cells.begin(), result.cells.end(),
                     [](const FoundCell& x, const FoundCell& y) { return x.fit.score() > y.fit.score(); });
    rank_simpler_first(result.cells, lines, settings.tolerance);
    if (result.cells.size() > settings.listed)
        result.cells.resize(settings.listed);
    for (FoundCell& cell : result.cells)
        cell.extinctionSymbol = extinction_symbol(cell.fit, lines, settings.tolerance);
    rerank_by_fit(result.cells, settings.wholePatternCheck, settings.checked);
    if (result.cells.empty())
        result.notes.push_back("No cell indexes the lines within the tolerance and the volume searched");
    return result;
}

}  // namespace kalidos
