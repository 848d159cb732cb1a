#include "refine_options.hpp"

#include <algorithm>
#include <cmath>

#include "batch_options.hpp"

namespace kalidos::batch {
namespace {

// "[N:]A,B,...": at least two atoms for a constraint to tie.
bool read_atom_list(const std::string& name, const std::string& text, AtomListOption& list, std::string& error)
{
    std::string atoms = text;
    if (const std::size_t colon = text.find(':'); colon != std::string::npos) {
        const auto phase = decimal_number(text.substr(0, colon));
        if (!phase || *phase < 1 || *phase > 1000 || *phase != std::floor(*phase)) {
            error = "option " + name + ": \"" + text.substr(0, colon) + "\" is not a phase number from 1";
            return false;
        }
        list.phase = static_cast<int>(*phase);
        atoms = text.substr(colon + 1);
    }
    std::size_t start = 0;
    while (start <= atoms.size()) {
        const std::size_t comma = std::min(atoms.find(',', start), atoms.size());
        list.atoms.push_back(atoms.substr(start, comma - start));
        start = comma + 1;
    }
    const bool empty = std::any_of(list.atoms.begin(), list.atoms.end(), [](const std::string& a) { return a.empty(); });
    if (empty || list.atoms.size() < 2) {
        error = "option " + name + ": \"" + text + "\" is not [N:]ATOM,ATOM,... naming at least two atoms";
        return false;
    }
    return true;
}

// "N,M,...": phases from 1.
bool read_phase_list(const std::string& name, const std::string& text, std::vector<int>& phases, std::string& error)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const auto phase = decimal_number(text.substr(start, comma - start));
        if (!phase || *phase < 1 || *phase > 1000 || *phase != std::floor(*phase)) {
            error = "option " + name + ": \"" + text + "\" is not a list of phase numbers from 1";
            return false;
        }
        phases.push_back(static_cast<int>(*phase));
        start = comma + 1;
    }
    return true;
}

// "A B C ALPHA BETA GAMMA [GROUP]": six numbers, then the rest of the text as the group's symbol.
bool read_cell_phase(const std::string& text, CellPhaseOption& phase, std::string& error)
{
    phase.text = text;
    double* values[6] = {&phase.cell.a, &phase.cell.b, &phase.cell.c, &phase.cell.alpha, &phase.cell.beta, &phase.cell.gamma};
    std::size_t at = 0;
    for (double* value : values) {
        const std::size_t start = text.find_first_not_of(" \t", at);
        const std::size_t end = start == std::string::npos ? std::string::npos : text.find_first_of(" \t", start);
        const auto number = start == std::string::npos ? std::nullopt : decimal_number(text.substr(start, end - start));
        if (!number) {
            error = "option --cell-phase: \"" + text + "\" is not A B C ALPHA BETA GAMMA [GROUP]";
            return false;
        }
        *value = *number;
        at = end == std::string::npos ? text.size() : end;
    }
    const std::size_t first = text.find_first_not_of(" \t", at);
    if (first != std::string::npos)
        phase.group = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    return true;
}

bool lists(const std::vector<int>& phases, int phase)
{
    return std::find(phases.begin(), phases.end(), phase) != phases.end();
}

}  // namespace

IntensityMethod RefineOptions::method(std::size_t p, std::size_t structures) const
{
    const int phase = static_cast<int>(p + 1);
    return lists(pawley, phase)                      ? IntensityMethod::Pawley
           : lists(leBail, phase) || p >= structures ? IntensityMethod::LeBail
                                                     : IntensityMethod::Structure;
}

OptionRead read_refine_option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& next,
                              RefineOptions& refine, std::string& error)
{
    if (name != "--refine" && name != "--cycles" && name != "--write-cif" && name != "--share-b" &&
        name != "--occupancy-sum" && name != "--le-bail" && name != "--pawley" && name != "--write-intensities" &&
        name != "--cell-phase")
        return OptionRead::NotProfile;
    if (next >= arguments.size()) {
        error = "option " + name + " needs a value";
        return OptionRead::Error;
    }
    const std::string& text = arguments[next++];
    bool read = true;
    if (name == "--refine") {
        refine.text = text;
        const std::string why = parse_refinement_stages(text, refine.stages);
        if (!why.empty() || refine.stages.empty())
            error = "option --refine: " + (why.empty() ? "no group named" : why), read = false;
    } else if (name == "--cycles") {
        const auto cycles = decimal_number(text);
        read = cycles && *cycles >= 1 && *cycles <= 1000 && *cycles == std::floor(*cycles);
        if (!read)
            error = "option --cycles: expected a whole number from 1 to 1000";
        else
            refine.cycles = static_cast<int>(*cycles), refine.cyclesGiven = true;
    } else if (name == "--write-cif") {
        refine.cifFile = text;
    } else if (name == "--write-intensities") {
        refine.intensitiesFile = text;
    } else if (name == "--cell-phase") {
        CellPhaseOption phase;
        read = read_cell_phase(text, phase, error);
        refine.cellPhases.push_back(phase);
    } else if (name == "--le-bail" || name == "--pawley") {
        read = read_phase_list(name, text, name == "--le-bail" ? refine.leBail : refine.pawley, error);
    } else {
        AtomListOption list;
        read = read_atom_list(name, text, list, error);
        (name == "--share-b" ? refine.sharedB : refine.occupancySums).push_back(list);
    }
    return read ? OptionRead::Read : OptionRead::Error;
}

std::string refine_options_problem(const RefineOptions& refine, std::size_t structures, std::size_t observed)
{
    if (!refine.active()) {
        if (refine.cyclesGiven || !refine.cifFile.empty() || !refine.sharedB.empty() || !refine.occupancySums.empty() ||
            !refine.leBail.empty() || !refine.pawley.empty() || !refine.intensitiesFile.empty() ||
            !refine.cellPhases.empty())
            return "--cycles, --write-cif, --share-b, --occupancy-sum, --le-bail, --pawley, --write-intensities and "
                   "--cell-phase need --refine";
        return {};
    }
    if (observed != 1)
        return "--refine needs one --observed diagram";
    for (const auto* lists : {&refine.sharedB, &refine.occupancySums})
        for (const AtomListOption& list : *lists)
            if (static_cast<std::size_t>(list.phase) > structures)
                return "--share-b, --occupancy-sum: there is no phase " + std::to_string(list.phase);
    for (const std::vector<int>* phases : {&refine.leBail, &refine.pawley})
        for (const int phase : *phases) {
            if (static_cast<std::size_t>(phase) > structures + refine.cellPhases.size())
                return "--le-bail, --pawley: there is no phase " + std::to_string(phase);
            if (lists(refine.leBail, phase) && lists(refine.pawley, phase))
                return "--le-bail, --pawley: phase " + std::to_string(phase) + " is named by both";
        }
    return {};
}

}  // namespace kalidos::batch
