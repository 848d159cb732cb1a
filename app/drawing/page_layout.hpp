// Where the printed page's texts go: a heading row and the legend above the plot, the tick labels,
// the structure summary and the abscissa title below it, so that no text crosses the frame, a curve
// or another text, whatever the paper.
#pragma once

#include <QColor>
#include <QFont>
#include <QPaintDevice>
#include <QPoint>
#include <QSize>
#include <QString>
#include <vector>

namespace kalidos::drawing {

inline constexpr int kPlotWidthDots = 2941;  // 25 cm, the abscissa range
inline constexpr int kPlotHeightDots = 2117; // 18 cm, the intensity range at S = 1
inline constexpr int kTickLabelGap = 30;     // from the baseline down to the tick labels' top

// A text and where its top-left corner goes, in page dots.
struct PageText {
    QString text;
    QColor colour = Qt::black;
    QFont font;
    QPoint topLeft;
};

// What the page writes besides the tick labels.
struct PageWording {
    QString heading;
    QString ordinateTitle;
    QString abscissaTitle;
    std::vector<PageText> legend; // text and colour; placed by the plan
    // The summary below the plot in columns of lines written one under the other.
    std::vector<std::vector<QString>> summary;
};

// The page composed: the plot's place and the texts around it.
struct PagePlan {
    QFont font;                // of the tick labels and of every text that is not too long
    double plotLeftCm = 2;     // xmin's column, in cm from the left edge
    int baselineRow = 0;       // the row of intensity Imin
    int curveTop = 0;          // curves stop here, below the texts above the plot
    std::vector<PageText> texts;
    bool fits = true;          // false when even the smallest font leaves texts over the plot
};

// Lays the wording out on a landscape page of `page` dots, measuring texts on `device`. The font
// shrinks from 8 points only when the texts do not fit around the plot; a text wider than the page
// alone is written smaller.
PagePlan plan_page(const PageWording& wording, QSize page, const QPaintDevice* device);

}  // namespace kalidos::drawing
