// The sample and profile settings of a .cry structure (profile function, broadening, asymmetry,
// shifts, preferred orientation, isotropic switch), kept in a companion file beside it.
//
// The .cry layout has no room for them (every line after the cell is an atom), so they go into
// <name>.ksp next to <name>.cry, written only when a setting differs from its default: a structure
// without them is saved in the .cry layout alone and no companion is left. The companion is plain text,
// one setting a line ("gauss 0.004 0 0.02 0"); lines whose first word is unknown are skipped, so
// later settings can be added without breaking older readers. The refinement window's settings
// follow on lines of their own ("refine-stages scale,background;zero,cell"), only when they differ
// from the defaults.
#pragma once

#include <filesystem>
#include <string>

#include "model/structure_model.hpp"
#include "readers/reader_text.hpp"
#include "ui/messages.hpp"

namespace kalidos {

std::filesystem::path profile_companion_path(const std::filesystem::path& cryFile);

std::string format_profile_companion(const ProfileSettings& profile, const SampleSettings& sample,
                                     const RefinementSettings& refinement = {});

// Reads the lines into `profile`, `sample` and, when given, `refinement`; false with `error` (what is
// wrong and on which line), all left unchanged, otherwise.
bool parse_profile_companion(const TextLines& lines, ProfileSettings& profile, SampleSettings& sample,
                             std::string& error, RefinementSettings* refinement = nullptr);

// After a .cry file was read: the companion's settings when there is one, the defaults otherwise.
// A damaged companion is told through `messages` and leaves the defaults.
void read_profile_companion(StructureModel& model, const std::filesystem::path& cryFile, Messages& messages);

// After a .cry file was written: writes the companion when a setting differs from its default,
// removes one left from an earlier save otherwise. False after "Cannot write the file ...".
bool write_profile_companion(const StructureModel& model, const std::filesystem::path& cryFile, Messages& messages);

}  // namespace kalidos
