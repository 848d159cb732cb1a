// Geometry of the diagram picture: world-to-pixel mapping, axis ticks, zoom limits, peak picking.
// Plain functions without Qt, so that the tests check them without a display.
#pragma once

#include "model/workspace.hpp"

#include <string>
#include <vector>

namespace kalidos::drawing {

inline constexpr int kLeftMargin = 10;   // pixels
inline constexpr int kBottomMargin = 28; // pixels
inline constexpr int kDifferenceColumns = 1015;
// Degrees to radians for half an angle: 2θ in degrees → θ in radians.
inline constexpr double kHalfDegreeToRadian = 0.0087266584;

enum class IntensityScale { Linear = 0, Logarithmic = 1, SquareRoot = 2 };

// The mapping of one redraw: recomputed from the picture size, the limits and S.
struct DiagramView {
    int imageWidth = 0;
    int imageHeight = 0;
    int baseline = 0; // pixel row of intensity 0
    double xmin = 0, xmax = 0;
    double xScale = 0;          // pixels per abscissa unit
    double verticalScale = 1.0; // S: 1 = an intensity of 100 reaches the top
    double yScale = 0;          // pixels per intensity unit
};

struct Pixel {
    int x = 0, y = 0;
};

struct WorldPoint {
    double x = 0, intensity = 0;
};

DiagramView make_view(int imageWidth, int imageHeight, double xmin, double xmax, double verticalScale);

// point_ecran: nearest pixel of an abscissa and an intensity.
Pixel point_ecran(const DiagramView& view, double x, double intensity);
// point_monde: the abscissa and intensity under a pixel.
WorldPoint point_monde(const DiagramView& view, int px, int py);

// The shown abscissa limits in the unit of the mode, from the model's DisplayRange.
struct AbscissaLimits {
    double xmin = 0, xmax = 0;
};
AbscissaLimits display_limits(const StructureModel& model, AbscissaMode mode);

// The abscissa of a reflection in the unit of the mode (θ, 2θ or 2π/d).
double reflection_abscissa(const Reflection& reflection, AbscissaMode mode);

// Q = 4π·sinθ/λ of a 2θ in degrees.
double q_from_two_theta(double twoTheta, double lambda);

// Tick step of an axis span: the bands 0.01, 0.1, 1, 5, 10, 20.
double tick_step(double span);

struct Tick {
    double value = 0;
    std::string label;
};
// The ticks of an axis from x1 to x2 with the screen's labels (width 5, one decimal).
std::vector<Tick> axis_ticks(double x1, double x2);
// The tick values alone, shared with the printed axis.
std::vector<double> tick_values(double x1, double x2);

// Pixel ordinates of the first two curves of a redraw, by column 1..1015; −1 = no point.
struct DifferenceRows {
    std::vector<int> row1 = std::vector<int>(kDifferenceColumns + 1, -1);
    std::vector<int> row2 = std::vector<int>(kDifferenceColumns + 1, -1);
    void clear();
    // Records the pixel of curve 1 or 2; columns outside 1..1015 are not recorded.
    void record(int curve, Pixel pixel);
};

// The points (column, row2 − row1 + 100) of the difference picture.
std::vector<Pixel> difference_points(const DifferenceRows& rows);

// Numbers (1-based) of the merged reflections whose column lies within 4 pixels of px, in order.
std::vector<int> reflections_near(const DiagramView& view, const CountedTable<Reflection>& merged,
                                  AbscissaMode mode, int px);

// A zoom box from the press point to the release column: new DisplayRange and S.
// The limits are taken in increasing order; a press at or below the baseline keeps S;
// Q limits beyond 4π/λ are brought back to it. Returns the new S.
double apply_zoom(StructureModel& model, AbscissaMode mode, const DiagramView& view, Pixel press,
                  int releaseX);

// The DisplayRange from abscissa limits in the unit of `mode`, taken in increasing order; Q limits
// beyond 4π/λ are brought back to it.
void set_display_abscissa(StructureModel& model, AbscissaMode mode, AbscissaLimits limits);

// reset_diag's range: DisplayRange := CalculationRange.
void reset_display_range(StructureModel& model);

// Q limits of the 2θ DisplayRange with the longest and the shortest wavelength.
void derive_q_limits(StructureModel& model);

// shifte_diagramme: centre the 2θ DisplayRange on c with the last width w (Theta and TwoTheta only).
void shift_display_range(StructureModel& model, AbscissaMode mode, int centre);

// The live readout of Edit1 for the pixel under the cursor.
std::string cursor_readout(const DiagramView& view, const StructureModel& model, AbscissaMode mode,
                           Pixel cursor);

}  // namespace kalidos::drawing
