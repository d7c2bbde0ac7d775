#include "base/LargeBlocks.h"
#include "dozizedizizi/KTMap.h"
#include "dozizedizizi/MakeCheckStruct.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{
using CPendingMap = CKTMap<std::string, const std::string&, sMakeCheckStruct*, sMakeCheckStruct*>;
using CEditedValues = CKTMap<int, int, std::string, const std::string&>;

std::int64_t ParkMillerReference(std::int64_t key)
{
    constexpr std::int64_t kModulus = 2147483647;
    return ((16807 * key) % kModulus + kModulus) % kModulus;
}

TEST(KTMapHash, IntegerHashIsOneMinimalStandardStepForEveryKey)
{
    // Key 1 hashes to 16807 and falls in bucket 7 of the hundred.
    CEditedValues map;
    EXPECT_EQ(KTHashInteger(1), 16807u);
    EXPECT_EQ(map.GetHashTableSize(), 100u);
    EXPECT_EQ(map.GetBucket(1), 7u);
    // The generator's own sequence from seed 1, then keys across the whole 32-bit range.
    EXPECT_EQ(KTHashInteger(16807), 282475249u);
    EXPECT_EQ(KTHashInteger(282475249), 1622650073u);
    for (std::int64_t key : {0LL, -1LL, 127772LL, 127773LL, 127774LL, 2147483646LL, 2147483647LL,
                             static_cast<long long>(INT_MIN), -127773LL, 64211LL, 31003LL})
    {
        EXPECT_EQ(KTHashInteger(static_cast<std::int32_t>(key)),
                  static_cast<unsigned int>(ParkMillerReference(key)))
            << key;
    }
    for (std::int64_t key = -3000000; key <= 3000000; key += 7919)
        ASSERT_EQ(KTHashInteger(static_cast<std::int32_t>(key)),
                  static_cast<unsigned int>(ParkMillerReference(key)));
}

TEST(KTMapHash, StringKeyUsesTimesThirtyThreeHash)
{
    EXPECT_EQ(KTHashString(""), 0u);
    EXPECT_EQ(KTHashString("A"), 65u);
    EXPECT_EQ(KTHashString("AB"), 65u * 33 + 66);
    CPendingMap map;
    EXPECT_EQ(map.GetBucket("AB"), (65u * 33 + 66) % 100);
    // Bytes above 127 count as negative, as signed single-byte characters do.
    EXPECT_EQ(KTHashString("\xFF"), static_cast<unsigned int>(-1));
}

TEST(KTMap, InsertReplacesTheValueUnderAnExistingKey)
{
    auto first = std::make_unique<sMakeCheckStruct>();
    auto second = std::make_unique<sMakeCheckStruct>();
    first->m_strMaker = "maker1";
    second->m_strMaker = "maker2";
    CPendingMap pending;
    pending.SetAt("REQ-1", first.get());
    pending.SetAt("REQ-1", second.get());
    EXPECT_EQ(pending.GetCount(), 1);
    sMakeCheckStruct* found = nullptr;
    ASSERT_TRUE(pending.Lookup("REQ-1", found));
    EXPECT_EQ(found, second.get());
    EXPECT_FALSE(pending.Lookup("REQ-2", found));
}

TEST(KTMap, RemovingAKeyLeavesThePointedRecordToItsOwner)
{
    auto record = std::make_unique<sMakeCheckStruct>();
    record->m_strKey = "K";
    CPendingMap pending;
    pending["K"] = record.get();
    EXPECT_TRUE(pending.RemoveKey("K"));
    EXPECT_FALSE(pending.RemoveKey("K"));
    EXPECT_TRUE(pending.IsEmpty());
    EXPECT_EQ(record->m_strKey, "K"); // still alive: the sanitizer build would catch a delete
}

TEST(KTMap, KeysSharingABucketStayApart)
{
    CEditedValues map;
    int other = 2;
    while (map.GetBucket(other) != map.GetBucket(1))
        ++other;
    map.SetAt(1, "one");
    map.SetAt(other, "other");
    std::string value;
    ASSERT_TRUE(map.Lookup(1, value));
    EXPECT_EQ(value, "one");
    ASSERT_TRUE(map.Lookup(other, value));
    EXPECT_EQ(value, "other");
    EXPECT_TRUE(map.RemoveKey(1));
    EXPECT_FALSE(map.Lookup(1, value));
    ASSERT_TRUE(map.Lookup(other, value));
    EXPECT_EQ(value, "other");
}

TEST(KTMap, NodesComeInBlocksOfTenAndGoWithTheLastKey)
{
    CEditedValues map;
    EXPECT_EQ(map.GetBlockCount(), 0);
    for (int id = 0; id < 10; ++id)
        map.SetAt(id, "v");
    EXPECT_EQ(map.GetBlockCount(), 1);
    map.SetAt(10, "v");
    EXPECT_EQ(map.GetBlockCount(), 2);
    // A freed node is reused before a new block is taken.
    map.RemoveKey(3);
    map.SetAt(11, "v");
    EXPECT_EQ(map.GetBlockCount(), 2);
    for (int id = 0; id <= 11; ++id)
        map.RemoveKey(id);
    EXPECT_TRUE(map.IsEmpty());
    EXPECT_EQ(map.GetBlockCount(), 0);
}

TEST(KTMap, IterationVisitsEveryPairOnce)
{
    CEditedValues edited;
    std::map<int, std::string> expected;
    for (int id : {64211, 64031, 41000, 1, 101, 201})
    {
        edited.SetAt(id, std::to_string(id * 2));
        expected[id] = std::to_string(id * 2);
    }
    std::map<int, std::string> seen;
    for (auto pos = edited.GetStartPosition(); pos;)
    {
        int key = 0;
        std::string value;
        edited.GetNextAssoc(pos, key, value);
        EXPECT_TRUE(seen.emplace(key, value).second) << "visited twice: " << key;
    }
    EXPECT_EQ(seen, expected);

    std::map<int, std::string> viaForEach;
    edited.ForEach([&](int key, const std::string& value) { viaForEach[key] = value; });
    EXPECT_EQ(viaForEach, expected);

    edited.RemoveAll();
    EXPECT_TRUE(edited.IsEmpty());
    EXPECT_FALSE(edited.GetStartPosition());
}

TEST(KTMap, ATableWithLongChainsGrowsAndKeepsEveryKey)
{
    CPendingMap pending;
    std::vector<std::unique_ptr<sMakeCheckStruct>> records;
    for (int i = 0; i < 100; ++i)
    {
        records.push_back(std::make_unique<sMakeCheckStruct>());
        pending.SetAt("REQ-" + std::to_string(i), records.back().get());
    }
    EXPECT_EQ(pending.GetHashTableSize(), 100u) << "a small map keeps the framework's hundred buckets";
    for (int i = 100; i < 5000; ++i)
    {
        records.push_back(std::make_unique<sMakeCheckStruct>());
        pending.SetAt("REQ-" + std::to_string(i), records.back().get());
    }
    EXPECT_GT(pending.GetHashTableSize(), 1000u);
    EXPECT_EQ(pending.GetCount(), 5000);
    int visited = 0;
    for (auto position = pending.GetStartPosition(); position;)
    {
        std::string key;
        sMakeCheckStruct* record = nullptr;
        pending.GetNextAssoc(position, key, record);
        ASSERT_EQ(record, records[static_cast<std::size_t>(std::stoi(key.substr(4)))].get()) << key;
        ++visited;
    }
    EXPECT_EQ(visited, 5000);
    for (int i = 0; i < 5000; i += 2)
        ASSERT_TRUE(pending.RemoveKey("REQ-" + std::to_string(i)));
    sMakeCheckStruct* found = nullptr;
    for (int i = 0; i < 5000; ++i)
        ASSERT_EQ(pending.Lookup("REQ-" + std::to_string(i), found), i % 2 == 1) << i;
}

// A large map's nodes and buckets lie in large-page blocks, which go back to the kernel with the
// last key; a small one takes nothing but the heap.
TEST(KTMap, ALargeMapLiesInLargePageBlocksAndGivesThemBackWhenEmptied)
{
    const std::size_t before = kivo::LargeBlockBytesInUse();
    CPendingMap pending;
    sMakeCheckStruct record;
    for (int i = 0; i < 1000; ++i)
        pending.SetAt("REQ-" + std::to_string(i), &record);
    EXPECT_EQ(kivo::LargeBlockBytesInUse(), before) << "a thousand keys";
    for (int i = 1000; i < 200000; ++i)
        pending.SetAt("REQ-" + std::to_string(i), &record);
    const std::size_t held = kivo::LargeBlockBytesInUse() - before;
    EXPECT_GE(held, std::size_t{4} << 20) << "two hundred thousand keys";
    EXPECT_EQ(held % kivo::kLargePage, 0u);
    sMakeCheckStruct* found = nullptr;
    ASSERT_TRUE(pending.Lookup("REQ-123456", found));
    for (int i = 0; i < 200000; ++i)
        pending.RemoveKey("REQ-" + std::to_string(i));
    EXPECT_EQ(kivo::LargeBlockBytesInUse(), before);
}

TEST(LargeBlocks, ABlockOfAMegabyteOrMoreIsWholeLargePagesAlignedToOne)
{
    const std::size_t before = kivo::LargeBlockBytesInUse();
    constexpr std::size_t kBytes = (std::size_t{3} << 20) + 5;
    auto* block = static_cast<unsigned char*>(kivo::AllocateLargeBlock(kBytes));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % kivo::kLargePage, 0u);
    EXPECT_EQ(kivo::LargeBlockBytesInUse() - before, std::size_t{4} << 20);
    block[0] = 1;
    block[kBytes - 1] = 2;
    EXPECT_EQ(block[0] + block[kBytes - 1], 3);
    kivo::FreeLargeBlock(block, kBytes);
    EXPECT_EQ(kivo::LargeBlockBytesInUse(), before);

    void* small = kivo::AllocateLargeBlock(1000);
    EXPECT_EQ(kivo::LargeBlockBytesInUse(), before) << "from the heap";
    kivo::FreeLargeBlock(small, 1000);
}
} // namespace
