// Adding a measured diagram to the observed diagrams: the File › Open entry of the diagram
// window (`lit_diagramme`), the resampling onto 1015 slots (`range_diagramme`) and the second
// step of a Rietveld file that does not state its wavelength.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "model/workspace.hpp"
#include "ui/messages.hpp"

namespace kalidos {

// The kinds of the Open submenu, also the open dialog's filter index.
enum class DiagramKind { Raw = 1, Philips = 2, Sim = 3, Rietveld = 4, Cpi = 5, Cpd = 6 };

// The kind (1 .raw, 2 .rd, 3 .sim, 4 .dat, 5 .cpi, 6 .cpd) from the file name's extension, without
// regard to case; 0 when the extension names none. These kinds keep their own readers and limits.
int diagram_kind_from_extension(const std::string& fileName);

// True when the file begins as a Bruker RAW4.00 diagram does (the instruments name these .raw too).
bool holds_raw4_diagram(const std::string& fileName);

// The described kind a file is read as: its extension's, except a .raw file holding a RAW4.00
// diagram, which is read by its content like today's formats (0, as for every other extension).
int described_diagram_kind(const std::string& fileName);

enum class ImportStatus {
    Added,             // a slot was filled: redraw
    Abandoned,         // nothing added (cancelled, refused or full): no redraw needed
    WavelengthNeeded,  // a Rietveld file without header: ask the user, then complete_rietveld_import
};

struct ImportResult {
    ImportStatus status = ImportStatus::Abandoned;
    // The first diagram set the radiation and the range of the model: the main window must
    // show its wavelength and range fields again.
    bool radiationAdopted = false;
};

// Reads `fileName` (the name chosen in the open dialog; empty = cancelled) as a diagram of the
// given kind (1..6) and adds it to the observed diagrams.
ImportResult lit_diagramme(Workspace& workspace, Messages& messages, int kind, const std::string& fileName);

// Adds the RawScan to the next ObservedSlot: first-diagram adoption of wavelength and range,
// the 0.05 Å check against the current wavelengths, resampling of the points inside the
// displayed 2θ range onto 1015 slots. Refuses (status Abandoned) an eleventh diagram.
ImportResult range_diagramme(Workspace& workspace, Messages& messages);

// What range_diagramme needs of a scan, whether it comes from the RawScan or from a diagram
// at its own resolution.
struct ScanHeader {
    std::string fileName;  // full path
    double firstAngle = 0, lastAngle = 0;  // degrees 2θ
    double meanLambda = 0;                 // Å; 0 when unknown
    std::shared_ptr<const MeasuredDiagram> measured;
    int scanIndex = 0;
};
struct ScanPoints {
    int count = 0;
    std::function<double(int)> angle;      // point i = 1..count, degrees 2θ
    std::function<double(int)> intensity;  // scaled to 0..100
};

// range_diagramme's work on any points: adoption, wavelength check, resampling into the next
// slot, which also keeps `header.measured`.
ImportResult add_observed_slot(Workspace& workspace, Messages& messages, const ScanHeader& header,
                               const ScanPoints& points);

// The RawScan's wavelengths as a measured diagram states them (one λ when only the mean is known).
void describe_scan_wavelengths(const RawScan& scan, MeasuredDiagram& diagram);

// What the user gave in the "Lambda missing" dialog for a Rietveld file without header.
struct ScanWavelengths {
    double meanLambda = 0;  // Å
    double lambda1 = 0, lambda2 = 0, ratio = 0;
    std::string anode;
};

// Step two of a Rietveld import that returned WavelengthNeeded: reads the file named in the
// RawScan again ("Read error in the Rietveld file!" when that fails), takes the wavelengths
// given, then runs range_diagramme.
ImportResult complete_rietveld_import(Workspace& workspace, Messages& messages,
                                      const ScanWavelengths& wavelengths);

}  // namespace kalidos
