// The live/dead slot row behind the filter list's store and visible index, against a plain vector of
// flags: rank, select and both walks over tens of thousands of slots (many blocks, groups and tree
// levels), through appends, kills, revivals and restarts from a count or from given flags.
#include "grid/LiveSlots.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{

void ExpectSame(const LiveSlots& slots, const std::vector<bool>& live)
{
    ASSERT_EQ(slots.SlotCount(), live.size());
    std::vector<std::uint32_t> liveSlots;
    for (std::uint32_t s = 0; s < live.size(); ++s)
    {
        ASSERT_EQ(slots.IsLive(s), live[s]) << "slot " << s;
        ASSERT_EQ(slots.Rank(s), liveSlots.size()) << "rank of slot " << s;
        if (live[s])
            liveSlots.push_back(s);
    }
    ASSERT_EQ(slots.LiveCount(), liveSlots.size());
    ASSERT_EQ(slots.Rank(slots.SlotCount()), slots.LiveCount()) << "past the end: every live slot";
    for (std::uint32_t k = 0; k < liveSlots.size(); ++k)
        ASSERT_EQ(slots.Select(k), liveSlots[k]) << "live slot number " << k;
    EXPECT_EQ(slots.Select(static_cast<std::uint32_t>(liveSlots.size())), LiveSlots::kNone);

    std::vector<std::uint32_t> walked;
    for (std::uint32_t s = slots.FirstLive(); s != LiveSlots::kNone; s = slots.NextLive(s))
        walked.push_back(s);
    EXPECT_EQ(walked, liveSlots) << "FirstLive and NextLive";
    walked.clear();
    slots.ForEachLive([&](std::uint32_t s) { walked.push_back(s); });
    EXPECT_EQ(walked, liveSlots) << "ForEachLive";
}

TEST(LiveSlots, RankSelectAndWalksAgreeWithAPlainRowOfFlags)
{
    std::mt19937 random(11);
    LiveSlots slots;
    std::vector<bool> live;
    for (int round = 0; round < 6; ++round)
    {
        // Grow by thousands, dead slots among them, then kill or revive runs and scattered slots.
        const int appends = 1500 + static_cast<int>(random() % 3000);
        for (int i = 0; i < appends; ++i)
        {
            const bool isLive = random() % 5 != 0;
            EXPECT_EQ(slots.Append(isLive), live.size());
            live.push_back(isLive);
        }
        const int kills = static_cast<int>(live.size() / 3);
        for (int i = 0; i < kills; ++i)
        {
            const auto s = static_cast<std::uint32_t>(random() % live.size());
            const std::uint32_t run = random() % 4 == 0 ? 200 : 1;
            const bool revive = random() % 4 == 0;
            for (std::uint32_t r = s; r < s + run && r < live.size(); ++r)
            {
                if (revive)
                    slots.Revive(r);
                else
                    slots.Kill(r);
                live[r] = revive;
            }
        }
        ExpectSame(slots, live);
        if (HasFatalFailure())
            return;
        if (round % 2 == 1)
        {
            const auto count = static_cast<std::uint32_t>(random() % 5000);
            slots.Reset(count);
            live.assign(count, true);
            ExpectSame(slots, live);
            if (HasFatalFailure())
                return;
        }
        if (round == 2 || round == 4)
        {
            // Flags given whole, with stray bits past the last slot that must not count; once just
            // short of 65,536 slots, so that the next round's appends cross into another group of
            // counts, once a few thousand.
            const auto count = static_cast<std::uint32_t>(round == 2 ? 65536 - 1400 + random() % 1000
                                                                     : 3000 + random() % 2000);
            LiveSlots::Words words((count + 63) / 64 + 1);
            for (std::uint64_t& word : words)
                word =
                    (static_cast<std::uint64_t>(random()) << 32 | random()) & (random() % 3 ? ~0ull : 0ull);
            live.assign(count, false);
            for (std::uint32_t s = 0; s < count; ++s)
                live[s] = ((words[s >> 6] >> (s & 63)) & 1) != 0;
            slots.Assign(words, count);
            ExpectSame(slots, live);
            if (HasFatalFailure())
                return;
        }
    }
    slots.Reset(0);
    live.clear();
    ExpectSame(slots, live);
    EXPECT_EQ(slots.FirstLive(), LiveSlots::kNone);
}

} // namespace
