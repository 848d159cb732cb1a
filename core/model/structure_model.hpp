// The one in-memory description of the crystal and of the simulated experiment.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/anisotropic_displacement.hpp"
#include "model/sample_settings.hpp"
#include "model/profile_settings.hpp"
#include "model/refinement_settings.hpp"
#include "util/fixed_table.hpp"

namespace kalidos {

inline constexpr int kMaxAtoms = 400;
inline constexpr int kMaxElements = 20;
inline constexpr int kMaxWavelengths = 10;
inline constexpr int kAnomalousWavelengths = 4;  // only these carry f' and f''
inline constexpr int kMaxOperators = 192;        // 48 general positions x 4 centrings
inline constexpr int kMaxCentrings = 3;

// Short texts of the model hold at most this many characters.
inline constexpr std::size_t kSymbolLength = 12;       // spaceGroupSymbol
inline constexpr std::size_t kAtomSymbolLength = 4;    // atomSymbol, elementSymbols
inline constexpr std::size_t kAtomLabelLength = 2;     // atomLabel
inline constexpr std::size_t kOperatorTextLength = 24; // operatorTexts

// Thirteen reals: the six entered values, then the derived reciprocal cell and volume.
struct CellParameters {
    double a = 0, b = 0, c = 0;                  // Å
    double alpha = 0, beta = 0, gamma = 0;       // degrees
    double aStar = 0, bStar = 0, cStar = 0;      // Å⁻¹, derived
    double alphaStar = 0, betaStar = 0, gammaStar = 0;  // degrees, derived
    double volume = 0;                           // Å³, derived
};

// x'_i = R_i1·x + R_i2·y + R_i3·z + t_i; row i of m holds R_i1 R_i2 R_i3 t_i (rows 0..2).
struct SymmetryOperator {
    double m[3][4] = {};
};

struct Vector3 {
    double x = 0, y = 0, z = 0;
};

// Up to 10 wavelengths in Å with relative weights.
struct WavelengthSet {
    int count = 0;
    Table<double, kMaxWavelengths> values;
    Table<double, kMaxWavelengths> weights;
    double shortest = 0;  // Å, 0 when the set is empty
    double longest = 0;   // Å, 0 when the set is empty
    double current = 0;   // the wavelength of the pass under way
};

// The nine coefficients of the four-Gaussian atomic scattering factor of one element.
struct CromerCoefficients {
    Table<double, 4> a;  // a1..a4
    Table<double, 4> b;  // b1..b4, Å²
    double c = 0;
};

enum class AbscissaMode { Theta = 0, TwoTheta = 1, Q = 2 };

inline constexpr int kXrays = 1;
inline constexpr int kNeutrons = 2;
inline constexpr int kTubeSource = 0;
inline constexpr int kSynchrotronSource = 1;

struct AnomalousRecord;

struct StructureModel {
    // Identity and files
    std::string title;
    std::string structureFileName;
    // The structure file the user opened, as given: structureFileName may name a reader's scratch
    // copy instead (dummy.cif) or nothing (a SHELX file); the listings show this one.
    std::string openedFileName;
    std::string startDirectory;
    // Where the data files (spgr2.dat, the settings, the anomalous tables, csp.lst) are read;
    // empty: startDirectory, as when the program starts in a folder that holds them.
    std::string dataDirectory;
    // Listings and scratch files (scfs.dat, dummy.cif) kept in memory instead of startDirectory,
    // so that calculations can run side by side in one process or folder.
    bool scratchInMemory = false;

    // Crystal
    std::string crystalSystem;    // "CUBI", "TETR", "ORTH", "HEXA", "RHOM", "MONO", "TRIC" or empty
    std::string spaceGroupSymbol; // at most kSymbolLength characters
    std::string symbolNotation;   // "HM" or "HALL"
    std::string latticeLetter;    // P, A, B, C, I, F or R
    CellParameters cell;
    double cellMatrix[3][3] = {};  // reciprocal-cell orthogonalisation, row by row

    // Atom table, column by column, atoms 1..atomCount
    int atomCount = 0;
    Table<std::string, kMaxAtoms> atomSymbol;
    Table<std::string, kMaxAtoms> atomLabel;
    // The site's label as the file gives it ("Oa1", "O-H17", "Wat29"), in full; empty when the file
    // gives none or the row was typed. Names atoms uniquely where atomLabel's two characters do not.
    Table<std::string, kMaxAtoms> atomSiteLabel;
    Table<double, kMaxAtoms> atomX, atomY, atomZ;
    Table<double, kMaxAtoms> atomB;  // B_eq for the atoms with a tensor
    Table<AnisotropicDisplacement, kMaxAtoms> atomAnisotropic;
    Table<double, kMaxAtoms> atomPopulation;
    Table<double, kMaxAtoms> atomFermiLength;
    Table<double, kMaxAtoms> atomMultiplicity;
    Table<int, kMaxAtoms> atomElementIndex;

    // Symmetry
    int operatorCount = 0;
    Table<SymmetryOperator, kMaxOperators> operators;
    Table<std::string, kMaxOperators> operatorTexts;
    bool centrosymmetric = false;
    int inversionAdded = 0;
    int centringCount = 0;
    Table<Vector3, kMaxCentrings> centringVectors;

    // Element table with its scattering data
    int elementCount = 0;
    Table<std::string, kMaxElements> elementSymbols;
    Table<CromerCoefficients, kMaxElements> cromer;
    Table<Table<double, kMaxElements>, kAnomalousWavelengths> fPrime;   // [wavelength][element]
    Table<Table<double, kMaxElements>, kAnomalousWavelengths> fSecond;  // [wavelength][element]
    // The table f' and f'' were last read from, while they are in use: the extra phases of a mixture
    // take their own elements' terms from it. Dropped wherever f' and f'' are set to 0.
    std::shared_ptr<const std::vector<AnomalousRecord>> anomalousRecords;

    // Radiation and wavelengths
    int radiation = kXrays;
    int xraySource = kTubeSource;
    double polarisation = 0.5;
    bool recalculatePending = false;
    WavelengthSet wavelengths;
    double typedWavelength = 0;
    std::string anodeSymbol;

    // Angular range and resolution curve
    double twoTheta1 = 10, twoTheta2 = 50;            // shown (DisplayRange), degrees
    double enteredTwoTheta1 = 10, enteredTwoTheta2 = 50;  // CalculationRange, degrees
    double twoThetaWidth = 0;
    double q1 = 0, q2 = 0;                  // Å⁻¹, shown
    double enteredQ1 = 0, enteredQ2 = 0;    // Å⁻¹, as entered
    double u = 0.001, v = 0, w = 0.005;
    ProfileSettings profile;  // profile function, broadening, asymmetry and shifts beyond U, V, W

    SampleSettings sample;  // preferred orientation and the isotropic switch
    RefinementSettings refinement;  // the refinement window's checks, stages, cycles and damping

    // Data-entry state
    int focusedField = 1;
    int importFormat = 1;
};

// The folder the data files are read from.
inline const std::string& data_folder(const StructureModel& model)
{
    return model.dataDirectory.empty() ? model.startDirectory : model.dataDirectory;
}

// The crystal-system list of the main window and the codes in the same positions.
inline constexpr const char* kSystemNames[7] = {"Cubic", "Tetra.", "Ortho.", "Hexa.",
                                                "Rhomb.", "Monoc.", "Tric."};
inline constexpr const char* kSystemCodes[7] = {"CUBI", "TETR", "ORTH", "HEXA",
                                                "RHOM", "MONO", "TRIC"};

// A crystal-system code as the model holds it: "QUAD", the tetragonal system's name in .cry files
// and in crystal_system_of_cell, is "TETR" as in kSystemCodes; every other code is kept.
inline std::string crystal_system_code(const std::string& code)
{
    return code == "QUAD" ? std::string("TETR") : code;
}

// Cuts a text to the first n characters, as the model's short texts are stored.
inline std::string short_text(const std::string& text, std::size_t n)
{
    return text.size() <= n ? text : text.substr(0, n);
}

// Empties the operator table (count, texts, centring and flags).
void clear_operator_table(StructureModel& model);

// Sets every f' and f'' to zero for the wavelengths and elements in use.
void zero_anomalous_factors(StructureModel& model);

}  // namespace kalidos
