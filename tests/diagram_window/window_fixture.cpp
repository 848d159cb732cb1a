#include "window_fixture.hpp"

#include "computation/calculation_driver.hpp"

#include <QAction>

namespace kalidos::testing {

void DiagramWindowTest::trigger(const char* action)
{
    auto* item = window->findChild<QAction*>(action);
    ASSERT_NE(item, nullptr) << action;
    item->trigger();
}

void DiagramWindowTest::open_calculation_as_scan(const std::filesystem::path& dir)
{
    RecordingCalculationHost host;
    recalcule(*workspace, host, messages);
    const CalculatedPattern& pattern = workspace->results.pattern;
    ASSERT_EQ(pattern.pointCount, kPatternPoints);
    write_pattern_as_scan(pattern, dir / "rock_salt.cpi");
    dialogs.answers = {app::ChosenFile{(dir / "rock_salt.cpi").string(), 4}};
    trigger("CPIformatcpi1");
    ASSERT_EQ(workspace->observed.count, 1) << ::testing::PrintToString(messages.warnings);
}

int topmost_row(const QImage& picture, int column, const QColor& colour, int from, int to)
{
    for (int row = from; row <= to; ++row)
        if (picture.pixelColor(column, row) == colour)
            return row;
    return -1;
}

}  // namespace kalidos::testing
