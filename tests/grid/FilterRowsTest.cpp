// The filter list's row store and visible index against a plain model of both, through long runs
// of random inserts, removals, hides, shows and reorders.
#include "grid/FilterRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace
{

// The model: records by store index (their item number) and the visible items in display order.
struct Model
{
    std::vector<std::uint64_t> store;
    std::vector<std::uint64_t> visible;
};

void ExpectSame(const FilterRows& rows, const Model& model)
{
    ASSERT_TRUE(rows.CheckConsistency());
    ASSERT_EQ(rows.StoreCount(), model.store.size());
    ASSERT_EQ(rows.VisibleCount(), model.visible.size());
    for (std::uint32_t i = 0; i < model.store.size(); ++i)
    {
        const std::uint32_t slot = rows.SlotOfStoreIndex(i);
        ASSERT_EQ(rows.At(slot).item, model.store[i]) << "store index " << i;
        ASSERT_EQ(rows.StoreIndexOfSlot(slot), i);
    }
    for (std::uint32_t p = 0; p < model.visible.size(); ++p)
    {
        const std::uint32_t slot = rows.SlotAtPosition(p);
        ASSERT_EQ(rows.At(slot).item, model.visible[p]) << "position " << p;
        ASSERT_EQ(rows.PositionOfSlot(slot), p);
    }
}

TEST(FilterRows, LongRandomRunsAgreeWithAPlainModel)
{
    std::mt19937 random(7);
    FilterRows rows;
    Model model;
    std::uint64_t next = 1;
    auto slotOfItem = [&](std::uint64_t item)
    {
        const auto at = std::find(model.store.begin(), model.store.end(), item) - model.store.begin();
        return rows.SlotOfStoreIndex(static_cast<std::uint32_t>(at));
    };
    for (int step = 0; step < 6000; ++step)
    {
        const int op = static_cast<int>(random() % 100);
        if (op < 35 || model.store.empty())
        {
            const std::uint32_t slot = rows.AppendRecord();
            rows.At(slot).item = next;
            model.store.push_back(next);
            if (random() % 4)
            {
                rows.AppendVisible(slot);
                model.visible.push_back(next);
            }
            ++next;
        }
        else if (op < 45)
        {
            const auto index = static_cast<std::uint32_t>(random() % model.store.size());
            const std::uint32_t slot = rows.InsertRecord(index);
            rows.At(slot).item = next;
            model.store.insert(model.store.begin() + index, next);
            ++next;
        }
        else if (op < 75)
        {
            const auto index = static_cast<std::uint32_t>(random() % model.store.size());
            const std::uint64_t item = model.store[index];
            rows.RemoveRecord(rows.SlotOfStoreIndex(index));
            model.store.erase(model.store.begin() + index);
            model.visible.erase(std::remove(model.visible.begin(), model.visible.end(), item),
                                model.visible.end());
        }
        else if (op < 85 && !model.visible.empty())
        {
            const auto position = static_cast<std::uint32_t>(random() % model.visible.size());
            rows.HideSlot(rows.SlotAtPosition(position));
            model.visible.erase(model.visible.begin() + position);
        }
        else if (op < 95)
        {
            const auto index = static_cast<std::uint32_t>(random() % model.store.size());
            const std::uint64_t item = model.store[index];
            if (std::find(model.visible.begin(), model.visible.end(), item) == model.visible.end())
            {
                const auto position = static_cast<std::uint32_t>(random() % (model.visible.size() + 1));
                rows.InsertVisible(position, slotOfItem(item));
                model.visible.insert(model.visible.begin() + position, item);
            }
        }
        else if (op < 97)
        {
            // A new filter: every record asked once, the passing ones shown in store order.
            const std::uint64_t modulus = 2 + random() % 3;
            const std::uint64_t remainder = random() % modulus;
            std::vector<std::uint64_t> asked;
            rows.Refilter(
                [&](std::uint64_t item)
                {
                    asked.push_back(item);
                    return item % modulus == remainder;
                });
            ASSERT_EQ(asked, model.store) << "each record once, in store order";
            model.visible.clear();
            for (std::uint64_t item : model.store)
            {
                if (item % modulus == remainder)
                    model.visible.push_back(item);
            }
            ASSERT_TRUE(rows.VisibleInStoreOrder());
        }
        else
        {
            // A sort: the visible items in another order.
            std::shuffle(model.visible.begin(), model.visible.end(), random);
            std::vector<std::uint32_t> slots;
            for (std::uint64_t item : model.visible)
                slots.push_back(slotOfItem(item));
            rows.SetVisible(slots);
        }
        if (step % 97 == 0 || step > 5900)
            ExpectSame(rows, model);
        if (HasFatalFailure())
            return;
    }
}

TEST(FilterRows, TheVisibleIndexKnowsWhenItRunsInStoreOrder)
{
    FilterRows rows;
    for (int i = 0; i < 5; ++i)
        rows.AppendVisible(rows.AppendRecord());
    EXPECT_TRUE(rows.VisibleInStoreOrder());
    rows.SetVisible({4, 2, 0});
    EXPECT_FALSE(rows.VisibleInStoreOrder());
    rows.SetVisible({0, 2});
    rows.AppendVisible(4);
    EXPECT_TRUE(rows.VisibleInStoreOrder());
    rows.AppendVisible(3);
    EXPECT_FALSE(rows.VisibleInStoreOrder()) << "3 came after 4";
    rows.SetVisible({0, 2, 4});
    EXPECT_TRUE(rows.VisibleInStoreOrder());
    rows.InsertVisible(1, 1);
    EXPECT_TRUE(rows.VisibleInStoreOrder());
    rows.InsertVisible(0, 3);
    EXPECT_FALSE(rows.VisibleInStoreOrder());
}

} // namespace
