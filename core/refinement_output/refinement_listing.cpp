#include "refinement_output/refinement_listing.hpp"

#include <cmath>
#include <sstream>

#include "util/pascal_format.hpp"
#include "util/su_text.hpp"

namespace kalidos {
namespace {

std::string percent(double r) { return fmt_fixed(100 * r, 7, 2) + "%"; }

std::string padded(const std::string& text, std::size_t width)
{
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

void write_cycle(std::ostream& out, const CycleRecord& c)
{
    out << "Cycle " << fmt_int(c.cycle, 3) << "   Rp=" << percent(c.rp) << "  Rwp=" << percent(c.rwp)
        << "  Chi2=" << fmt_general(c.chi2, 6, 10) << '\n';
    out << "  Parameter                    Value          Shift             su   Shift/su\n";
    for (const ParameterState& p : c.parameters) {
        out << "  " << padded(p.name, 22) << fmt_general(p.value, 6, 14) << ' ' << fmt_general(p.shift, 6, 14) << ' '
            << fmt_general(p.su, 6, 14);
        if (p.held)
            out << "   held";
        else if (p.su > 0)
            out << ' ' << fmt_fixed(p.shift / p.su, 10, 3);
        out << '\n';
    }
}

void write_stage(std::ostream& out, std::size_t s, const RefinementStage& stage, const std::vector<CycleRecord>& cycles)
{
    std::string released;
    for (const std::string& name : stage.released)
        released += (released.empty() ? "" : ", ") + name;
    out << "\nStage " << s + 1 << ": " << released << '\n';
    for (const CycleRecord& c : cycles)
        if (c.stage == static_cast<int>(s + 1))
            write_cycle(out, c);
    out << "Stage " << s + 1 << ": " << stage.cycles << (stage.cycles == 1 ? " cycle, " : " cycles, ")
        << outcome_text(stage.outcome) << ", chi2 " << fmt_general(stage.chi2, 6, 10) << '\n';
    for (const std::string& note : stage.notes)
        out << "  " << note << '\n';
}

void write_final(std::ostream& out, const RefinementResult& r)
{
    out << "\nRefined parameters\n";
    out << "  Parameter                    Start          Value(su)\n";
    for (const RefinementParameter& p : r.parameters)
        if (p.refined)
            out << "  " << padded(p.name, 22) << fmt_general(p.start, 6, 14) << "   " << value_su_text(p.value, p.su, 6)
                << (p.held                ? "   held"
                    : p.limit < 0         ? "   on its lower bound"
                    : p.limit > 0         ? "   on its upper bound"
                    : p.constraint.empty() ? ""
                                          : "   " + p.constraint)
                << '\n';
    out << "\nRefinement: " << outcome_text(r.outcome) << '\n';
    for (const std::string& note : r.notes)
        out << "  " << note << '\n';
    out << "\nPoints: " << r.points << "  Refined parameters: " << r.refinedCount << '\n';
    out << "Rp=" << percent(r.rp) << "  Rwp=" << percent(r.rwp) << "  Rexp=" << percent(r.rexp)
        << "  Chi2=" << fmt_general(r.chi2, 6, 10) << '\n';
    for (std::size_t p = 0; p < r.phases.size(); ++p) {
        const RefinedPhase& phase = r.phases[p];
        out << "Phase " << p + 1 << ": " << phase.name << "  R_Bragg=" << percent(phase.rBragg);
        if (phase.fraction.value > 0)
            out << "  weight fraction " << value_su_text(phase.fraction.value, phase.fraction.su, 4);
        out << '\n';
    }
    if (r.correlations.empty())
        return;
    out << "\nCorrelations above 0.9\n";
    for (const ParameterCorrelation& c : r.correlations)
        out << "  " << padded(c.first, 22) << padded(c.second, 22) << fmt_fixed(c.coefficient, 7, 3) << '\n';
}

}  // namespace

CycleRecord cycle_record(const RefinementResult& result)
{
    CycleRecord c;
    c.stage = result.stage;
    c.cycle = result.cycle;
    c.rp = result.rp, c.rwp = result.rwp, c.chi2 = result.chi2;
    for (const RefinementParameter& p : result.parameters)
        if (p.refined)
            c.parameters.push_back({p.name, p.value, p.shift, p.su, p.held});
    return c;
}

std::string refinement_listing(const std::string& title, const RefinementResult& result,
                               const std::vector<CycleRecord>& cycles)
{
    std::ostringstream out;
    out << title << '\n';
    for (std::size_t s = 0; s < result.stages.size(); ++s)
        write_stage(out, s, result.stages[s], cycles);
    write_final(out, result);
    return out.str();
}

}  // namespace kalidos
