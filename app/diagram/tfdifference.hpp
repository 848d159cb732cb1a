// The "Difference" window: the second curve drawn minus the first, above the diagram window.
#pragma once

#include "drawing/diagram_geometry.hpp" // for DifferenceRows

#include <QWidget>

namespace kalidos::app {

class PictureWidget;

class Tfdifference : public QWidget {
    Q_OBJECT
  public:
    explicit Tfdifference(QWidget* parent = nullptr);

    // Height 200, directly above the diagram window and as wide.
    void initialise(const QWidget& diagramWindow);
    // trace_difference into the window's picture.
    void draw(const drawing::DifferenceRows& rows);
    const QImage& picture() const;

  private:
    PictureWidget* image_ = nullptr;
};

}  // namespace kalidos::app
