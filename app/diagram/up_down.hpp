// A spin button without a text field that announces a change before it is applied (`UpDown1`, `UpDown2`).
#pragma once

#include <QSpinBox>

namespace kalidos::app {

// The diagram window reads the position shown when the user asks for a step, before the step
// is applied, and may set a new position meanwhile: the step then applies to that position.
class UpDown : public QSpinBox {
    Q_OBJECT
  public:
    UpDown(int minimum, int maximum, int increment, QWidget* parent = nullptr);
    void stepBy(int steps) override;

  Q_SIGNALS:
    // Emitted with the position shown when a step was requested.
    void changeRequested(int position);
};

}  // namespace kalidos::app
