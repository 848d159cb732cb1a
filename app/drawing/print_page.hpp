// The printed page: one landscape page composed in printer dots, with its own geometry.
#pragma once

#include "drawing/diagram_geometry.hpp"

#include <QPainter>
#include <QTransform>
#include <string>

namespace kalidos::drawing {

struct PhaseOverlay;

inline constexpr double kDotsPerCm = 117.66;  // about 300 dots per inch
inline constexpr int kPageBaselineRow = 2294; // round(21 cm − 1.5 cm) in dots from the top
inline constexpr int kPageWidthDots = 3494;   // A4 landscape, 29.7 cm
inline constexpr int kPageHeightDots = 2471;  // 21 cm
inline constexpr int kPageFontPixels = 33;    // 8 points at 117.66 dots per cm

// Page mapping: the abscissa range over 25 cm from `leftCm`; intensities over 18 cm·S up from the
// baseline row. Truncation, not rounding, as the page is composed dot by dot.
struct PageMapping {
    double xmin = 0, xmax = 0;
    double imin = 0;
    double ky = 0; // cm per intensity unit
    double leftCm = 2;
    int baselineRow = kPageBaselineRow;
};
int page_column(const PageMapping& mapping, double x);
int page_row(const PageMapping& mapping, double intensity);

// Tick label of the printed axis: two decimals below 100, one from 100 up.
std::string page_tick_label(double value);

// What the page shows besides the workspace's data.
struct PageOptions {
    AbscissaMode mode = AbscissaMode::TwoTheta;
    IntensityScale scale = IntensityScale::Linear;
    double verticalScale = 1.0; // S
    std::string comment;
    const PhaseOverlay* phases = nullptr; // a mixture's phases: their curves and list; none: one structure
    QSize pageDots{kPageWidthDots, kPageHeightDots}; // the paper, landscape
};

// The paper's size in page dots with its longer side across, from its size in millimetres.
QSize landscape_page_dots(QSizeF millimetres);
// Maps the landscape page onto a sheet of `sheetPixels` at `pixelsPerDot`: a portrait sheet
// carries the page turned a quarter, its top along the sheet's left side.
QTransform sheet_transform(QSizeF sheetPixels, double pixelsPerDot);

// The intensity range of the frame: 0 to the largest calculated point after the first, or
// 0..100 without a calculated diagram.
struct IntensityRange {
    double imin = 0, imax = 100;
};
IntensityRange page_intensity_range(const CalculatedPattern& pattern);

// Draws the page on a painter whose unit is one page dot (117.66 per cm).
void render_print_page(QPainter& painter, const Workspace& workspace, const PageOptions& options);

}  // namespace kalidos::drawing
