// The command line of kalidos-batch: what to read, how to calculate, what to write.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/sample_settings.hpp"
#include "model/profile_settings.hpp"
#include "find_cell_options.hpp"
#include "identify_options.hpp"
#include "phase_options.hpp"
#include "refine_options.hpp"
#include "series_options.hpp"

namespace kalidos::batch {

// One line of a wavelength mixture: λ in Å and its relative intensity.
// The texts are kept as typed: the composition dialog's own reading converts them.
struct MixtureLine {
    double lambda = 0;
    double intensity = 0;
    std::string lambdaText;
    std::string intensityText;
};

struct BatchOptions {
    std::string structureFile;              // the first file given; the one a single run reads
    std::vector<std::string> structureFiles;  // every file given on the command line, in order
    std::string listFile;                   // --list: a file naming one structure file per line
    std::string outDirectory;               // --out-dir: one JSON document per structure
    int jobs = 1;                           // -j: structures calculated at once
    std::string format;       // cry, shelx, cel, lzy or cif; empty: from the extension
    int block = 0;            // CIF data block, 1-based; 0: the first structure block
    bool listBlocks = false;
    std::string spaceGroup;   // Hermann-Mauguin or Hall; empty: the file's own

    // Radiation: exactly one of anode, lambda, mixture gives the wavelengths.
    std::string anode;                 // an item of the anode list; "CuKa1" when nothing is given
    std::optional<double> lambda;      // Å
    std::vector<MixtureLine> mixture;  // at most four lines
    bool neutron = false;
    std::optional<double> synchrotron; // polarisation p, 0..1
    bool radiationGiven = false;        // --anode, --lambda or --mixture
    // Set when no wavelength was given and there is an observed diagram: the lines that file states
    // are used (the anode's when it states none). Kept by every phase of a mixture.
    std::string radiationFile;
    // --instrument: the radiation and the instrument's profile from a file (its wavelengths unless one of
    // --anode, --lambda, --mixture is given); --save-instrument: the run's instrument into a file.
    std::string instrumentFile, saveInstrumentFile;

    double twoTheta1 = 10, twoTheta2 = 50;  // degrees
    bool rangeGiven = false;                // --range
    double u = 0.001, v = 0, w = 0.005;
    std::string anomalous;  // "", "brcow" or "sasaki"
    SampleSettings sample;  // --preferred, --isotropic
    ProfileSettings profile;     // --profile, --gauss, --lorentz, --size, --strain, --asymmetry, --zero, --displacement
    std::optional<double> step;  // degrees: the pattern on this grid instead of the 1015 points

    std::string dataDirectory;      // empty: the installed data folder
    std::string listingsDirectory;  // empty: the current folder
    std::string exportFile;         // .sim, .cpi or .cpd
    std::vector<std::string> observed;
    int scan = 1;                   // the scan of a multi-scan observed file, from 1
    bool scanGiven = false;         // a series takes every scan of each file unless --scan is given
    bool compare = false;           // fit each observed diagram against the calculation
    std::vector<std::string> fit;   // refined beyond scale and background: "zero"; with --fit-fractions "size", "cell"
    PhaseOptions phases;            // --fractions, --fit-fractions: the files are the phases of one sample
    IdentifyOptions identification;  // --index, --identify: the library index and its search
    FindCellOptions indexing;        // --find-cell: the cells that index the peaks
    int backgroundOrder = 3;        // Chebyshev order of the comparison's background, 0..12
    RefineOptions refine;           // --refine, --cycles, --write-cif, --share-b, --occupancy-sum
    SeriesOptions series;           // --series, --series-block, --observed-list, --csv, --no-curves
    std::string exportXy;           // .xy, .xye or .csv columns of the calculation (and comparison)
    std::string jsonFile;           // "-" for standard output
    bool operatorsOnly = false;
    bool bonds = false;             // --bonds: the bonds of the asymmetric unit in the JSON
    std::optional<double> bondTolerance;  // --bond-tolerance, Å added to the covalent radii
    std::optional<std::string> bondPairs; // --bond-pairs, as parse_bond_pairs reads it
    bool overwrite = false;         // answer Yes to "This file already exists..." questions
    bool help = false;
    bool version = false;           // --version: the program's version, then exit
};

struct ParsedCommandLine {
    BatchOptions options;
    std::string error;  // non-empty: a usage error, to be reported with exit status 2
};

// Reads argv[1..argc-1]. Numbers must be plain decimal numbers; options that cannot go
// together (two sources of wavelengths, a synchrotron with neutrons ...) are usage errors.
ParsedCommandLine parse_command_line(const std::vector<std::string>& arguments);

// A whole-text decimal number (never depending on the locale); nothing when the text is not one.
std::optional<double> decimal_number(const std::string& text);

// Several structures, each calculated alone with the same settings (files, --list or --out-dir),
// unless --fractions or --fit-fractions make them the phases of one mixture.
bool several_structures(const BatchOptions& options);

// The format named by the extension of `path` (cry, shelx, cel, lzy, cif); empty when unknown.
std::string format_from_extension(const std::string& path);

// "sim", "cpi" or "cpd" from the extension of an export file name; empty otherwise.
std::string export_kind(const std::string& path);

// The text printed by --help.
std::string usage_text();

}  // namespace kalidos::batch
