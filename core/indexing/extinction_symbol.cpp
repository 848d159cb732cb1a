#include "indexing/extinction_symbol.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace kalidos {
namespace {

using Test = bool (*)(int h, int k, int l);

// One reflection condition: the reflections of a zone or row (`zone`) appear only when `rule` holds.
struct Condition {
    int direction;      // its place in the symbol, from 0
    const char* token;  // glide letter or screw axis
    bool screw;
    Test zone;
    Test rule;
    const char* lattices;  // the centrings it applies to
};

bool even(int n) { return n % 2 == 0; }
bool four(int n) { return n % 4 == 0; }

// Zones and rows of the symmetry directions, and the rules, in the conventional axes.
const Condition kMonoclinic[] = {
    {0, "21", true, [](int h, int, int l) { return h == 0 && l == 0; }, [](int, int k, int) { return even(k); }, "P"},
    {0, "c", false, [](int, int k, int) { return k == 0; }, [](int, int, int l) { return even(l); }, "PACI"},
    {0, "a", false, [](int, int k, int) { return k == 0; }, [](int h, int, int) { return even(h); }, "PAI"},
    {0, "n", false, [](int, int k, int) { return k == 0; }, [](int h, int, int l) { return even(h + l); }, "PC"},
};

const Condition kOrthorhombic[] = {
    {0, "21", true, [](int, int k, int l) { return k == 0 && l == 0; }, [](int h, int, int) { return even(h); }, "PABC"},
    {1, "21", true, [](int h, int, int l) { return h == 0 && l == 0; }, [](int, int k, int) { return even(k); }, "PABC"},
    {2, "21", true, [](int h, int k, int) { return h == 0 && k == 0; }, [](int, int, int l) { return even(l); }, "PABC"},
    {0, "b", false, [](int h, int, int) { return h == 0; }, [](int, int k, int) { return even(k); }, "PBCI"},
    {0, "c", false, [](int h, int, int) { return h == 0; }, [](int, int, int l) { return even(l); }, "PBCI"},
    {0, "n", false, [](int h, int, int) { return h == 0; }, [](int, int k, int l) { return even(k + l); }, "PBC"},
    {0, "d", false, [](int h, int, int) { return h == 0; }, [](int, int k, int l) { return four(k + l); }, "F"},
    {1, "a", false, [](int, int k, int) { return k == 0; }, [](int h, int, int) { return even(h); }, "PACI"},
    {1, "c", false, [](int, int k, int) { return k == 0; }, [](int, int, int l) { return even(l); }, "PACI"},
    {1, "n", false, [](int, int k, int) { return k == 0; }, [](int h, int, int l) { return even(h + l); }, "PAC"},
    {1, "d", false, [](int, int k, int) { return k == 0; }, [](int h, int, int l) { return four(h + l); }, "F"},
    {2, "a", false, [](int, int, int l) { return l == 0; }, [](int h, int, int) { return even(h); }, "PABI"},
    {2, "b", false, [](int, int, int l) { return l == 0; }, [](int, int k, int) { return even(k); }, "PABI"},
    {2, "n", false, [](int, int, int l) { return l == 0; }, [](int h, int k, int) { return even(h + k); }, "PAB"},
    {2, "d", false, [](int, int, int l) { return l == 0; }, [](int h, int k, int) { return four(h + k); }, "F"},
};

// The in-plane index of a reflection of the zones 0kl and h0l, which the fourfold axis makes one.
int in_plane(int h, int k) { return h == 0 ? k : h; }

const Condition kTetragonal[] = {
    {0, "41", true, [](int h, int k, int) { return h == 0 && k == 0; }, [](int, int, int l) { return four(l); }, "PI"},
    {0, "42", true, [](int h, int k, int) { return h == 0 && k == 0; }, [](int, int, int l) { return even(l); }, "P"},
    {1, "21", true, [](int h, int k, int l) { return l == 0 && (h == 0 || k == 0); },
     [](int h, int k, int) { return even(in_plane(h, k)); }, "P"},
    {0, "n", false, [](int, int, int l) { return l == 0; }, [](int h, int k, int) { return even(h + k); }, "P"},
    {0, "a", false, [](int, int, int l) { return l == 0; }, [](int h, int k, int) { return even(h) && even(k); }, "I"},
    {1, "b", false, [](int h, int k, int) { return h == 0 || k == 0; }, [](int h, int k, int) { return even(in_plane(h, k)); }, "P"},
    {1, "c", false, [](int h, int k, int) { return h == 0 || k == 0; }, [](int, int, int l) { return even(l); }, "PI"},
    {1, "n", false, [](int h, int k, int) { return h == 0 || k == 0; }, [](int h, int k, int l) { return even(in_plane(h, k) + l); }, "P"},
    {2, "c", false, [](int h, int k, int) { return std::abs(h) == std::abs(k); }, [](int, int, int l) { return even(l); }, "P"},
    {2, "d", false, [](int h, int k, int) { return std::abs(h) == std::abs(k); }, [](int h, int, int l) { return four(2 * h + l); }, "I"},
};

// Zones of the hexagonal lattice: the {h 0 -h l} family and the {h h -2h l} family.
bool family_h0(int h, int k, int) { return h == 0 || k == 0 || h + k == 0; }
bool family_hh(int h, int k, int) { return h == k || k == -2 * h || h == -2 * k; }

const Condition kHexagonal[] = {
    {0, "61", true, [](int h, int k, int) { return h == 0 && k == 0; }, [](int, int, int l) { return l % 6 == 0; }, "P"},
    {0, "31", true, [](int h, int k, int) { return h == 0 && k == 0; }, [](int, int, int l) { return l % 3 == 0; }, "P"},
    {0, "63", true, [](int h, int k, int) { return h == 0 && k == 0; }, [](int, int, int l) { return even(l); }, "P"},
    {1, "c", false, family_h0, [](int, int, int l) { return even(l); }, "PR"},
    {2, "c", false, family_hh, [](int, int, int l) { return even(l); }, "P"},
};

// Zones of the cubic lattice: a zero index, two equal ones.
bool any_zero(int h, int k, int l) { return h == 0 || k == 0 || l == 0; }
bool two_equal(int h, int k, int l) { return std::abs(h) == std::abs(k) || std::abs(k) == std::abs(l) || std::abs(h) == std::abs(l); }
bool row(int h, int k, int l) { return (h != 0) + (k != 0) + (l != 0) == 1; }

const Condition kCubic[] = {
    {0, "41", true, row, [](int h, int k, int l) { return four(h + k + l); }, "PF"},
    {0, "42", true, row, [](int h, int k, int l) { return even(h + k + l); }, "P"},
    // 0kl: k = 2n and its cyclic permutations (Pa-3).
    {0, "a", false, any_zero,
     [](int h, int k, int l) { return (h != 0 || even(k)) && (k != 0 || even(l)) && (l != 0 || even(h)); }, "P"},
    {0, "n", false, any_zero,
     [](int h, int k, int l) { return (h != 0 || even(k + l)) && (k != 0 || even(h + l)) && (l != 0 || even(h + k)); }, "P"},
    {0, "d", false, any_zero,
     [](int h, int k, int l) { return (h != 0 || four(k + l)) && (k != 0 || four(h + l)) && (l != 0 || four(h + k)); }, "F"},
    {2, "n", false, two_equal,
     [](int h, int k, int l) {
         return (std::abs(h) != std::abs(k) || even(l)) && (std::abs(k) != std::abs(l) || even(h)) &&
                (std::abs(h) != std::abs(l) || even(k));
     }, "P"},
    {2, "c", false, two_equal,
     [](int h, int k, int l) {
         return (std::abs(h) != std::abs(k) || even(l)) && (std::abs(k) != std::abs(l) || even(h)) &&
                (std::abs(h) != std::abs(l) || even(k));
     }, "F"},
    {2, "d", false, two_equal,
     [](int h, int k, int l) {
         return (std::abs(h) != std::abs(k) || four(2 * h + l)) && (std::abs(k) != std::abs(l) || four(2 * k + h)) &&
                (std::abs(h) != std::abs(l) || four(2 * h + k));
     }, "I"},
};

struct Table {
    const Condition* begin;
    const Condition* end;
    int directions;
};

Table table_of(LatticeSystem system)
{
    switch (system) {
    case LatticeSystem::Cubic: return {std::begin(kCubic), std::end(kCubic), 3};
    case LatticeSystem::Tetragonal: return {std::begin(kTetragonal), std::end(kTetragonal), 3};
    case LatticeSystem::Hexagonal: return {std::begin(kHexagonal), std::end(kHexagonal), 3};
    case LatticeSystem::Orthorhombic: return {std::begin(kOrthorhombic), std::end(kOrthorhombic), 3};
    case LatticeSystem::Monoclinic: return {std::begin(kMonoclinic), std::end(kMonoclinic), 1};
    case LatticeSystem::Triclinic: return {nullptr, nullptr, 1};
    }
    return {nullptr, nullptr, 1};
}

// The reflections of one calculated line (one form), those the lattice allows.
struct Form {
    double twoTheta = 0;
    std::vector<Hkl> members;
};

std::vector<Form> forms_of(const CellFit& fit, double qMax, double wavelength)
{
    const double reach = std::sqrt(qMax);
    const int maxH = static_cast<int>(reach * fit.cell.a), maxK = static_cast<int>(reach * fit.cell.b),
              maxL = static_cast<int>(reach * fit.cell.c);
    const FormTerms terms = terms_of(fit.system, fit.parameters);
    std::map<Coefficients, Form> forms;
    for (int h = -maxH; h <= maxH; ++h)
        for (int k = -maxK; k <= maxK; ++k)
            for (int l = -maxL; l <= maxL; ++l) {
                const double q = q_of(terms, h, k, l);
                if ((h || k || l) && q <= qMax && centring_allows(fit.centring, h, k, l)) {
                    Form& form = forms[form_coefficients(fit.system, h, k, l)];
                    form.twoTheta = two_theta_of_q(q, wavelength);
                    form.members.push_back({h, k, l});
                }
            }
    std::vector<Form> list;
    for (auto& [f, form] : forms)
        list.push_back(std::move(form));
    return list;
}

bool member_present(const Hkl& m, const std::vector<const Condition*>& set)
{
    return std::all_of(set.begin(), set.end(), [&](const Condition* c) { return !c->zone(m.h, m.k, m.l) || c->rule(m.h, m.k, m.l); });
}

bool form_present(const Form& form, const std::vector<const Condition*>& set)
{
    return std::any_of(form.members.begin(), form.members.end(), [&](const Hkl& m) { return member_present(m, set); });
}

struct Evidence {
    bool contradicted = false;
    int missing = 0;    // forms it removes that no line matches
    bool seen = false;  // some line indexed by forms of its zone only, which it keeps
};

class Analysis {
public:
    Analysis(const CellFit& fit, const IndexingLines& lines, double tolerance)
    {
        const double qMax = q_of_two_theta(lines.twoTheta.back() - fit.zero + tolerance, lines.wavelength);
        forms_ = forms_of(fit, qMax, lines.wavelength);
        matched_.assign(forms_.size(), 0);
        for (std::size_t i = 0; i < lines.twoTheta.size(); ++i) {
            if (!fit.indexed[i])
                continue;
            std::vector<std::size_t>& near = near_.emplace_back();
            for (std::size_t f = 0; f < forms_.size(); ++f)
                if (std::fabs(forms_[f].twoTheta - (lines.twoTheta[i] - fit.zero)) <= tolerance) {
                    near.push_back(f);
                    matched_[f] = 1;
                }
        }
    }

    Evidence evidence(const std::vector<const Condition*>& set) const
    {
        Evidence e;
        for (const std::vector<std::size_t>& near : near_) {
            const bool kept = std::any_of(near.begin(), near.end(), [&](std::size_t f) { return form_present(forms_[f], set); });
            e.contradicted = e.contradicted || (!near.empty() && !kept);
            const bool inZone = !near.empty() && std::all_of(near.begin(), near.end(), [&](std::size_t f) {
                return std::all_of(forms_[f].members.begin(), forms_[f].members.end(),
                                   [&](const Hkl& m) { return set.back()->zone(m.h, m.k, m.l); });
            });
            e.seen = e.seen || (inZone && kept);
        }
        for (std::size_t f = 0; f < forms_.size(); ++f)
            if (!matched_[f] && !form_present(forms_[f], set))
                ++e.missing;
        return e;
    }

    // Whether every reflection `c` removes is removed by the rest of `set` already.
    bool implied(const Condition* c, const std::vector<const Condition*>& set) const
    {
        std::vector<const Condition*> others;
        std::copy_if(set.begin(), set.end(), std::back_inserter(others), [&](const Condition* o) { return o != c; });
        for (const Form& form : forms_)
            for (const Hkl& m : form.members)
                if (c->zone(m.h, m.k, m.l) && !c->rule(m.h, m.k, m.l) && member_present(m, others))
                    return false;
        return true;
    }

private:
    std::vector<Form> forms_;
    std::vector<char> matched_;
    std::vector<std::vector<std::size_t>> near_;
};

std::string written(const std::vector<std::string>& tokens, LatticeSystem system, char centring)
{
    std::string symbol(1, centring);
    if (system == LatticeSystem::Monoclinic)
        return symbol + " 1 " + tokens[0] + " 1";
    for (const std::string& token : tokens)
        symbol += " " + token;
    return symbol;
}

}  // namespace

std::string extinction_symbol(const CellFit& fit, const IndexingLines& lines, double tolerance)
{
    const Table table = table_of(fit.system);
    const bool rhombohedral = fit.system == LatticeSystem::Hexagonal && fit.centring == 'R';
    const int directions = rhombohedral ? 2 : table.directions;
    if (!table.begin || fit.indexed.empty())
        return written(std::vector<std::string>(static_cast<std::size_t>(directions), "-"), fit.system, fit.centring);
    const Analysis analysis(fit, lines, tolerance);
    // The best supported condition of each kind and direction.
    std::vector<std::pair<const Condition*, int>> chosen;
    for (const Condition* c = table.begin; c != table.end; ++c) {
        if (!std::strchr(c->lattices, fit.centring) || (rhombohedral && c->direction > 1))
            continue;
        const Evidence e = analysis.evidence({c});
        if (e.contradicted || e.missing == 0 || !e.seen)
            continue;
        const auto same = std::find_if(chosen.begin(), chosen.end(), [&](const auto& x) {
            return x.first->direction == c->direction && x.first->screw == c->screw;
        });
        if (same == chosen.end())
            chosen.emplace_back(c, e.missing);
        else if (e.missing > same->second)
            *same = {c, e.missing};
    }
    // Together they must still index every line: the least supported goes until they do.
    std::vector<const Condition*> set;
    for (const auto& [c, support] : chosen)
        set.push_back(c);
    while (!set.empty()) {
        std::vector<const Condition*> probe = set;
        if (!analysis.evidence(probe).contradicted)
            break;
        const auto weakest = std::min_element(chosen.begin(), chosen.end(), [&](const auto& x, const auto& y) {
            const bool xIn = std::find(set.begin(), set.end(), x.first) != set.end();
            const bool yIn = std::find(set.begin(), set.end(), y.first) != set.end();
            return xIn != yIn ? xIn : x.second < y.second;
        });
        set.erase(std::find(set.begin(), set.end(), weakest->first));
    }
    std::vector<std::string> tokens(static_cast<std::size_t>(directions));
    for (const Condition* c : set) {
        std::string& token = tokens[static_cast<std::size_t>(c->direction)];
        if (c->screw && analysis.implied(c, set))
            continue;
        token = c->screw ? c->token + (token.empty() ? "" : "/" + token) : token + (token.empty() ? "" : "/") + c->token;
    }
    for (std::string& token : tokens)
        if (token.empty())
            token = "-";
    return written(tokens, fit.system, fit.centring);
}

}  // namespace kalidos
