// Tables whose slots are cleared only when first written read as if cleared at construction.
#include <gtest/gtest.h>

#include "model/results.hpp"
#include "util/counted_table.hpp"

namespace kalidos::testing {
namespace {

TEST(CountedTable, UnwrittenSlotsReadClearedAndWrittenOnesStayPut)
{
    CountedTable<Reflection> table(kMergedCapacity);
    Reflection& first = table[1];
    first.h = 3;
    table[kMergedCapacity].d = 2.5;  // the last slot: every slot before it comes into use
    EXPECT_EQ(&first, &table[1]);    // no slot moved
    EXPECT_EQ(table[1].h, 3);
    const CountedTable<Reflection>& read = table;
    EXPECT_EQ(read[2].h, 0);
    EXPECT_EQ(read[kMergedCapacity].d, 2.5);

    CountedTable<Reflection> fresh(10);
    const CountedTable<Reflection>& unread = fresh;
    EXPECT_EQ(unread[7].twoTheta, 0);  // never written
    fresh.count = 4;                   // counted without writing: the slots read as cleared
    for (const Reflection& r : fresh)
        EXPECT_EQ(r.intensity, 0);
    EXPECT_EQ(fresh.end() - fresh.begin(), 4);

    CountedTable<Reflection> copy = table;
    EXPECT_EQ(copy.capacity(), kMergedCapacity);
    Reflection& copied = copy[1];
    copy[kMergedCapacity - 1].h = 1;
    EXPECT_EQ(&copied, &copy[1]);  // the copy reserves the whole capacity too
    EXPECT_EQ(copy[kMergedCapacity].d, 2.5);
}

}  // namespace
}  // namespace kalidos::testing
