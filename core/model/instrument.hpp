// The instrument's part of a calculation or a refinement: what stays the same from one sample to the
// next on one diffractometer, so that a profile calibrated on a standard serves other samples and
// their size and strain are their own.
#pragma once

#include <string>
#include <vector>

#include "model/profile_settings.hpp"

namespace kalidos {

struct InstrumentLine {
    double lambda = 0;  // Å
    double weight = 0;  // relative

    bool operator==(const InstrumentLine&) const = default;
};

struct Instrument {
    int radiation = 1;          // kXrays or kNeutrons (model/structure_model.hpp)
    int xraySource = 0;         // kTubeSource or kSynchrotronSource
    double polarisation = 0.5;  // the synchrotron's p
    std::vector<InstrumentLine> wavelengths;  // empty: the instrument leaves the wavelengths as they are
    ProfileFunction function = ProfileFunction::Tch;
    double seedU = 0.001, seedV = 0, seedW = 0.005;  // the seed profile's half-width curve (main window's U V W)
    // Of the profile settings the instrument's: the TCH widths, axial divergence, zero shift, the
    // goniometer radius, the monochromator and the divergence slit with the specimen's length. The
    // sample's own (size, strain, transparency, displacement, absorption, roughness) are not kept.
    double gaussU = 0.004, gaussV = 0, gaussW = 0.02, gaussP = 0;
    double lorentzX = 0, lorentzY = 0;
    double axialSL = 0, axialHL = 0;
    double zeroShift = 0;
    double radiusMm = 240;
    double monochromatorTwoTheta = 0;
    MonochromatorPlace monochromatorPlace = MonochromatorPlace::Diffracted;
    double slitDegrees = 0, sampleLengthMm = 0;

    bool operator==(const Instrument&) const = default;
};

}  // namespace kalidos

namespace kalidos {

struct StructureModel;

// The instrument of a model: its radiation, source, wavelengths and the instrument's profile settings.
Instrument instrument_of(const StructureModel& model);

// The instrument's part of profile settings into `instrument` (the rest of it left as it is).
void take_instrument_profile(const ProfileSettings& profile, Instrument& instrument);

// Puts the instrument's radiation, source and profile settings into `model`, keeping the sample's own
// settings (size, strain, transparency, displacement, absorption, roughness). The wavelengths are left
// to the caller, which sets them as the "Multiple wavelengths" dialog does.
void apply_instrument(const Instrument& instrument, StructureModel& model);

// The first setting of the instrument out of the range the program accepts, worded as the profile
// settings' are; empty when every one is in range and the wavelengths are usable.
std::string instrument_problem(const Instrument& instrument);

}  // namespace kalidos
