#include "platform/wait_cursor.hpp"

#include <QApplication>
#include <QCursor>

namespace kalidos::app {

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace kalidos::app
