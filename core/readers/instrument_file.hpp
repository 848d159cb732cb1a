// The instrument file: the instrument's part of a refinement kept as text, to be loaded for the next
// diagram measured on the same diffractometer. One setting a line, "#" starts a comment:
//
//   KALIDOS instrument                       the first line
//   radiation xray tube                      xray tube | xray synchrotron P | neutron
//   wavelength 1.5406 1                      λ (Å) and relative weight, one line each (at most 4)
//   wavelength 1.54439 0.5
//   profile tch                              tch | seed
//   gauss 0.0041 -0.0012 0.0032 0            TCH Gaussian U V W P (FWHM² = U tan²θ + V tanθ + W + P/cos²θ, deg²)
//   lorentz 0.012 0.031                      TCH Lorentzian X Y (FWHM = X tanθ + Y/cosθ, deg)
//   uvw 0.001 0 0.005                        the seed profile's half-width curve (main window's U V W)
//   asymmetry 0.02 0.02                      axial divergence S/L, H/L
//   zero -0.012                              zero shift, degrees 2θ
//   radius 240                               goniometer radius, mm
//   monochromator 26.6 diffracted            2θ of a crystal monochromator, incident | diffracted (optional)
//   overspill 1 20                           fixed divergence slit (deg) and specimen length (mm) (optional)
//
// The sample's own settings (size, strain, transparency, displacement, absorption, roughness) are not
// kept. Lines with an unknown first word are skipped, so that later settings can be added.
//
// GSAS-II's instrument parameter files (.instprm, "Key:value" lines) are read too, for the keys with a
// meaning here: Type (PXC or PNC: constant-wavelength X-rays or neutrons), Lam or Lam1, Lam2 and
// I(L2)/I(L1), Zero (degrees), Polariz. (0.5 an unpolarised tube; otherwise a monochromator of the same
// polarisation factor with a tube's doublet, else the source's p = 1 − Polariz.), U, V, W (the Gaussian
// variance, centidegrees²: FWHM² = 8 ln 2·σ²), X, Y (Lorentzian FWHM X/cosθ + Y tanθ, centidegrees:
// our Y and X) and SH/L (S/L + H/L, split evenly). Z and Azimuth, when not 0, are told and left out.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "model/instrument.hpp"

namespace kalidos {

inline constexpr const char* kInstrumentHeader = "KALIDOS instrument";

// The instrument as the file above, with a comment line after the header (`comment` may be empty).
std::string format_instrument(const Instrument& instrument, const std::string& comment);

// Reads either format from its text (the KALIDOS header, or GSAS-II's keys). False with `error` saying
// what is wrong and on which line; `notes` say what was read differently or left out.
bool read_instrument_text(std::string_view text, Instrument& instrument, std::vector<std::string>& notes,
                          std::string& error);

// The same from a file (at most 1 MB); a file that cannot be read is an error naming it.
bool read_instrument_file(const std::filesystem::path& path, Instrument& instrument, std::vector<std::string>& notes,
                          std::string& error);

// GSAS-II's format alone (read_instrument_text calls it for a text without the KALIDOS header).
bool read_gsas_instrument(std::string_view text, Instrument& instrument, std::vector<std::string>& notes,
                          std::string& error);

}  // namespace kalidos
