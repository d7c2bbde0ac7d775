// An owner that keeps each item's store slot, to find its record again without a search, and
// learns the new slots from the rows whenever a sweep renumbers them.
#include "grid/FilterRows.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{

struct SlotKeeper
{
    std::vector<std::uint32_t> slotOf{0}; // by item; item 0 is no item
    int renumberings = 0;
    bool wholeWhenTold = true;

    static void Renumbered(void* context, const FilterRows& rows, std::uint32_t first)
    {
        auto& keeper = *static_cast<SlotKeeper*>(context);
        ++keeper.renumberings;
        keeper.wholeWhenTold = keeper.wholeWhenTold && rows.CheckConsistency();
        for (std::uint32_t slot = first; slot < rows.SlotCount(); ++slot)
        {
            if (const std::uint64_t item = rows.At(slot).item)
                keeper.slotOf[item] = slot;
        }
    }
};

TEST(FilterRowsRenumbering, KeptSlotsStayRightThroughSweepsAndInsertions)
{
    std::mt19937 random(11);
    FilterRows rows;
    SlotKeeper keeper;
    rows.SetSlotsRenumbered(&SlotKeeper::Renumbered, &keeper);
    std::vector<std::uint64_t> live;
    for (int step = 0; step < 5000; ++step)
    {
        const int op = static_cast<int>(random() % 100);
        if (op < 45 || live.empty())
        {
            const auto item = static_cast<std::uint64_t>(keeper.slotOf.size());
            const bool inside = op < 10 && !live.empty();
            const std::uint32_t slot =
                inside ? rows.InsertRecord(static_cast<std::uint32_t>(random() % live.size()))
                       : rows.AppendRecord();
            rows.At(slot).item = item;
            if (random() % 3)
                rows.AppendVisible(slot);
            keeper.slotOf.push_back(slot);
            live.push_back(item);
        }
        else
        {
            const std::size_t at = random() % live.size();
            const std::uint64_t item = live[at];
            const std::uint32_t slot = keeper.slotOf[item];
            ASSERT_TRUE(rows.IsStoreSlot(slot));
            if (op < 60)
                rows.HideSlot(slot);
            else
            {
                rows.RemoveRecord(slot);
                live.erase(live.begin() + static_cast<std::ptrdiff_t>(at));
            }
        }
        for (const std::uint64_t item : live)
        {
            const std::uint32_t slot = keeper.slotOf[item];
            ASSERT_TRUE(rows.IsStoreSlot(slot)) << "step " << step;
            ASSERT_EQ(rows.At(slot).item, item) << "step " << step;
        }
    }
    EXPECT_GT(keeper.renumberings, 10) << "the run swept the store";
    EXPECT_TRUE(keeper.wholeWhenTold);
}

TEST(FilterRowsRenumbering, ASlotRemovedOrNeverMadeHoldsNoRecord)
{
    FilterRows rows;
    const std::uint32_t first = rows.AppendRecord();
    const std::uint32_t second = rows.AppendRecord();
    rows.RemoveRecord(first);
    EXPECT_FALSE(rows.IsStoreSlot(first));
    EXPECT_TRUE(rows.IsStoreSlot(second));
    EXPECT_FALSE(rows.IsStoreSlot(rows.SlotCount()));
    EXPECT_FALSE(rows.IsStoreSlot(FilterRows::kNone));
}

} // namespace
