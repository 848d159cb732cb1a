// The colours and the text placement shared by the diagram picture and the printed page.
#pragma once

#include <QColor>
#include <QPainter>
#include <QString>

namespace kalidos::drawing {

// Curve and legend colour of observed diagram k (1..10): red, blue, fuchsia, maroon, navy,
// green, purple, olive, lime, aqua.
QColor observed_colour(int k);

// Curve and legend colour of phase p (from 0) of a mixture: sixteen colours apart from black and
// from the observed diagrams' colours.
QColor phase_colour(int p);

inline const QColor kMarkerBackground{255, 255, 0}; // yellow
inline const QColor kMarkerLine{0, 0, 128};         // navy
inline const QColor kZoomBox{0, 128, 0};            // green
inline const QColor kDifferenceBackground{0xEA, 0xEA, 0xEA};

// Writes a text with its top-left corner at (x, y), as the pictures place every text.
void text_out(QPainter& painter, int x, int y, const QString& text);
// The same on an opaque background box (the markers' yellow labels).
void text_out_on(QPainter& painter, int x, int y, const QString& text, const QColor& background);

}  // namespace kalidos::drawing
