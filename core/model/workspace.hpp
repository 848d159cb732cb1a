// Everything one running program holds: the model, the results, the observed diagrams.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/agreement.hpp"
#include "model/observed.hpp"
#include "model/results.hpp"
#include "model/structure_model.hpp"
#include "model/text_grid.hpp"

namespace kalidos {

inline constexpr int kAnomalousGridRows = 15;

// One instance lives as long as the program (the windows share it); the tests make their own.
struct Workspace {
    StructureModel model;
    CalculationResults results;
    RawScan rawScan;
    ObservedPattern observed;
    // The last comparison of the calculation with the observed diagrams; empty when none was
    // made since the last calculation.
    std::vector<Agreement> agreements;
    // The abscissa unit shown by the main window's radio group; the model stores both units.
    AbscissaMode abscissaMode = AbscissaMode::TwoTheta;
    // The anomalous-dispersion grid's cells: the window shows them, the calculation reads them back.
    TextGrid anomalousGrid{kAnomalousGridRows, 5};
    // Date and time text of the listings; injectable so that tests are repeatable.
    std::function<std::string()> clock;
    // The text of fstr2.out and fstr.out of the last run made with model.scratchInMemory.
    std::string detailedListing, briefListing;
    // False when nobody reads this run's listings (several structures in one run without their
    // listings asked for): the passes then skip formatting them, a third of a small run's time.
    bool listingsWanted = true;
};

// The platform's short date then long time, as the listings print it.
std::string current_date_time_text();

// A workspace with the start-up values, on the heap (its tables are large).
std::unique_ptr<Workspace> make_workspace(const std::string& startDirectory);

}  // namespace kalidos
