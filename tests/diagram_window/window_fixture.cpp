#include "window_fixture.hpp"

#include <QAction>

namespace kalidos::testing {

void DiagramWindowTest::trigger(const char* action)
{
    auto* item = window->findChild<QAction*>(action);
    ASSERT_NE(item, nullptr) << action;
    item->trigger();
}

int topmost_row(const QImage& picture, int column, const QColor& colour, int from, int to)
{
    for (int row = from; row <= to; ++row)
        if (picture.pixelColor(column, row) == colour)
            return row;
    return -1;
}

}  // namespace kalidos::testing
