// The cells a whole-pattern fit ranks again: the checked ones by their Rwp, a cell the fit could not
// make after them, the unchecked ones left below as they were.
#include <gtest/gtest.h>

#include "indexing/cell_indexing.hpp"

namespace kalidos {
namespace {

TEST(Rerank, TheCheckedCellsFollowTheirRwpAndTheRestKeepTheirPlaces)
{
    std::vector<FoundCell> cells(4);
    const double volumes[] = {100, 200, 300, 400};
    for (std::size_t i = 0; i < cells.size(); ++i)
        cells[i].volume = volumes[i];
    int calls = 0;
    const WholePatternCheck fit = [&](const FoundCell& cell) -> std::optional<double> {
        ++calls;
        if (cell.volume == 100)
            return std::nullopt;  // a fit that could not be made
        return cell.volume == 200 ? 0.12 : 0.05;
    };
    rerank_by_fit(cells, fit, 3);
    EXPECT_EQ(calls, 3);
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].volume, 300);
    EXPECT_EQ(cells[1].volume, 200);
    EXPECT_EQ(cells[2].volume, 100);
    EXPECT_EQ(cells[3].volume, 400);
    EXPECT_DOUBLE_EQ(*cells[0].rwp, 0.05);
    EXPECT_FALSE(cells[2].rwp.has_value());
    EXPECT_FALSE(cells[3].rwp.has_value());
    rerank_by_fit(cells, WholePatternCheck{}, 3);  // no fit: nothing moves
    EXPECT_EQ(cells[0].volume, 300);

    // A cell whose Rwp is only a little lower stays below (its extra reflections or freedom fit the
    // noise); one clearly lower passes.
    std::vector<FoundCell> pair(3);
    pair[0].volume = 100, pair[1].volume = 103, pair[2].volume = 300;
    const double rwp[] = {0.10, 0.099, 0.07};
    rerank_by_fit(pair, [&](const FoundCell& cell) -> std::optional<double> {
        return rwp[cell.volume == 100 ? 0 : cell.volume == 103 ? 1 : 2];
    }, 3);
    EXPECT_EQ(pair[0].volume, 300);
    EXPECT_EQ(pair[1].volume, 100);
    EXPECT_EQ(pair[2].volume, 103);
}

}  // namespace
}  // namespace kalidos
