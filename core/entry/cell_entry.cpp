#include "entry/cell_entry.hpp"

#include "entry/range_entry.hpp"
#include "util/pascal_format.hpp"

namespace kalidos {

namespace {

enum { kA, kB, kC, kAlpha, kBeta, kGamma };

// Cell edits that each system fixes, in the order b, c, alpha, beta, gamma.
struct SystemRule {
    bool b, c, alpha, beta, gamma;
};

constexpr SystemRule kLocked[7] = {
    {true, true, true, true, true},      // Cubic
    {true, false, true, true, true},     // Tetragonal
    {false, false, true, true, true},    // Orthorhombic
    {true, false, true, true, true},     // Hexagonal
    {true, true, false, true, true},     // Rhombohedral
    {false, false, false, false, false}, // Monoclinic
    {false, false, false, false, false}, // Triclinic
};

// What the refresh after a file read greys: the locks, except that the cubic alpha stays white.
constexpr SystemRule kGreyed[7] = {
    {true, true, false, true, true},
    {true, false, true, true, true},
    {false, false, true, true, true},
    {true, false, true, true, true},
    {true, true, false, true, true},
    {false, false, false, false, false},
    {false, false, false, false, false},
};

void set_looks(EntryForm& form, const SystemRule& rule, bool lock)
{
    const bool flags[6] = {false, rule.b, rule.c, rule.alpha, rule.beta, rule.gamma};
    for (int i = 0; i < 6; ++i)
        form.cellLook[static_cast<std::size_t>(i)] = CellEditLook{flags[i], lock && flags[i]};
}

}  // namespace

int system_index(const std::string& code)
{
    for (int i = 0; i < 7; ++i)
        if (code == kSystemCodes[i])
            return i;
    return -1;
}

void apply_system(EntryForm& form, StructureModel& model)
{
    form.cellLook.fill(CellEditLook{});
    const int s = form.systemIndex;
    if (s < 0 || s > 6)
        return;
    model.crystalSystem = kSystemCodes[s];
    set_looks(form, kLocked[s], true);
    auto& cell = form.cell;
    const std::string a = cell[kA];
    const auto copy_a = [&](int i) {
        if (!a.empty())
            cell[static_cast<std::size_t>(i)] = a;
    };
    const auto right_angles = [&](const char* gamma) {
        cell[kAlpha] = "90";
        cell[kBeta] = "90";
        cell[kGamma] = gamma;
    };
    switch (s) {
    case 0: copy_a(kB); copy_a(kC); right_angles("90"); break;
    case 1: copy_a(kB); right_angles("90"); break;
    case 2: right_angles("90"); break;
    case 3: copy_a(kB); right_angles("120"); break;
    case 4: {
        copy_a(kB);
        copy_a(kC);
        const std::string alpha = fmt_fixed(model.cell.alpha, 8, 3);
        cell[kAlpha] = cell[kBeta] = cell[kGamma] = alpha;
        break;
    }
    default: break;
    }
}

void show_cell(EntryForm& form, const StructureModel& model, AbscissaMode mode)
{
    const CellParameters& c = model.cell;
    form.cell = {fmt_fixed(c.a, 8, 4),     fmt_fixed(c.b, 8, 4),    fmt_fixed(c.c, 8, 4),
                 fmt_fixed(c.alpha, 7, 2), fmt_fixed(c.beta, 7, 2), fmt_fixed(c.gamma, 7, 2)};
    show_range(form, model, mode);
    form.title = model.title;
    form.cellLook.fill(CellEditLook{});
    form.systemIndex = system_index(model.crystalSystem);
    if (form.systemIndex >= 0)
        set_looks(form, kGreyed[form.systemIndex], false);
}

}  // namespace kalidos
