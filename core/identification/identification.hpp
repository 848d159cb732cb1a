// Which structures of a library explain a measured diagram: the peaks, the figure of merit of every
// entry, the best candidates fitted to the whole diagram with the mixture fit and ranked again by
// the fitted residual, and the search carried on over what the phases found leave unexplained.
#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "identification/candidate_score.hpp"
#include "identification/element_filter.hpp"
#include "identification/library_entry.hpp"
#include "peaks/peak_search.hpp"
#include "peaks/resolution_estimate.hpp"
#include "mixture/phase_fit.hpp"
#include "model/structure_model.hpp"
#include "ui/messages.hpp"

namespace kalidos {

inline constexpr int kMaxIdentifiedPhases = 5;

struct IdentifySettings {
    double sensitivity = kDefaultSensitivity;  // of the peak search
    ElementFilter elements;
    int listed = 20;        // candidates kept in the ranked list
    int checked = 6;        // best candidates of each round fitted to the whole diagram
    int maxPhases = kMaxIdentifiedPhases;
    int backgroundOrder = 8;  // Chebyshev terms of the whole-diagram fit's background, less one
};

struct Candidate {
    std::size_t entry = 0;  // in the entries searched
    // The other entries holding the same phase (same formula and group, cell lengths within 1 %:
    // a library often holds one structure in many files), the best scoring of them standing for all.
    std::vector<std::size_t> alike;
    CandidateScore figure;
    double rwp = std::numeric_limits<double>::infinity();  // whole-diagram fit with the phases found before
    double fraction = -1;   // its weight fraction in that fit; -1 when it was not fitted
    double fractionSu = 0;
    bool checked() const { return fraction >= 0; }
};

struct FoundPhase {
    std::size_t entry = 0;
    double fraction = 0;
    MixturePhase phase;  // calculated with the diagram's radiation
};

struct Identification {
    PeakSearch search;
    std::vector<Candidate> candidates;  // for the first phase: the fitted ones by Rwp, then by score
    std::vector<FoundPhase> phases;     // largest fraction first
    PhaseFit fit;                       // of the phases found together
    // The strong peaks (a tenth of the strongest or more) the phases found leave unexplained, by
    // height, at most kMaxUnexplainedListed; and what the search tells of them and of the
    // nearest candidate when no phase or not every strong peak is explained.
    std::vector<FoundPeak> unexplained;
    std::vector<std::string> notes;
};

inline constexpr std::size_t kMaxUnexplainedListed = 6;

// The experiment of a measured diagram: X-ray tube, its λ1 (and λ2 weighed by the ratio when the
// file states them), the 2θ range [low, high], the resolution curve given.
StructureModel diagram_experiment(const MeasuredWavelengths& wavelengths, double low, double high,
                                  const Resolution& resolution);

// The same phase: same formula and group, cell lengths within 1 % (a library may hold one structure
// several times, refined at other temperatures or compositions).
bool same_phase(const LibraryEntry& a, const LibraryEntry& b);

// Every entry the filter accepts scored against `context`, best first, at most `kept`, entries of
// the same phase gathered under the best scoring one (Candidate::alike).
std::vector<Candidate> rank_candidates(const std::vector<LibraryEntry>& entries, const MatchContext& context,
                                       const ElementFilter& filter, std::size_t kept,
                                       const std::vector<std::size_t>& excluded = {});

// The whole search. `wavelengths` are the diagram's (λ1 needed); candidates are calculated from their
// files with `dataDirectory`'s tables. Refusals of single candidates are left out silently; a
// diagram without peaks gives no candidates.
Identification identify_phases(const MeasuredScan& scan, const MeasuredWavelengths& wavelengths,
                               const std::vector<LibraryEntry>& entries, const IdentifySettings& settings,
                               const std::filesystem::path& dataDirectory);

}  // namespace kalidos
