#include "diagram/up_down.hpp"

#include <QLineEdit>

namespace kalidos::app {

UpDown::UpDown(int minimum, int maximum, int increment, QWidget* parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setSingleStep(increment);
    setKeyboardTracking(false);
    lineEdit()->setReadOnly(true);
    lineEdit()->setMaximumWidth(0); // only the arrows show
    setFixedWidth(22);
}

void UpDown::stepBy(int steps)
{
    Q_EMIT changeRequested(value());
    QSpinBox::stepBy(steps);
}

}  // namespace kalidos::app
