// File › Open: empty the crystal description, read a structure file, look its group up and apply it.
#pragma once

#include "model/structure_model.hpp"
#include "readers/cif_blocks.hpp"
#include "ui/messages.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace kalidos
{

// The File › Open formats, stored in `importFormat`.
inline constexpr int kFormatCry = 1;
inline constexpr int kFormatShelx = 2;
inline constexpr int kFormatPowderCell = 3;
inline constexpr int kFormatLazyPulverix = 4;
inline constexpr int kFormatIcsd = 5; // shown disabled: no reader
inline constexpr int kFormatCif = 6;

// NoFile: no name chosen and none held. Failed: the reader refused (its message was shown); the
// grids stay empty. Cancelled: the block choice was closed. Read: the caller refreshes the window.
enum class OpenStatus { NoFile, Failed, Cancelled, Read };

// The block choice of a CIF with several structure blocks, implemented by the window.
class CifBlockChooser
{
  public:
    virtual ~CifBlockChooser() = default;
    // The 1-based number of the chosen block; 0 when the window was closed without a choice.
    virtual int choose_cif_block(const std::vector<CifBlock>& blocks) = 0;
};

struct OpenRequest {
    int format = kFormatCry;
    // The open dialog's answer; empty when it was cancelled, and the name held is read again.
    std::string fileName;
    // The program's data files (space-group catalogue, standard settings, csp.lst).
    std::filesystem::path dataDirectory;
};

// The whole sequence after the dialog. dummy.cif is written in `startDirectory` (unless the model
// keeps its scratch files in memory). Without a chooser,
// the first of several CIF blocks is read.
OpenStatus open_structure_file(StructureModel& model, const OpenRequest& request, Messages& messages,
                               CifBlockChooser* chooser);

// The reading step of a CIF alone: block scan, choice, dummy.cif, `read_cif_block`.
OpenStatus read_cif_file(StructureModel& model, const std::filesystem::path& file, Messages& messages,
                         CifBlockChooser* chooser);

} // namespace kalidos
