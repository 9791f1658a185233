#include "destination/ItemIdListBytes.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{
struct ListCase
{
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::size_t expected;
};

TEST(ItemIdListBytes, MeasuresWholeListsAndRefusesBrokenOnes)
{
    const ListCase cases[] = {
        {"desktop: a lone terminator", {0, 0}, 2},
        {"one item", {4, 0, 0xAA, 0xBB, 0, 0}, 6},
        {"two items", {3, 0, 0x11, 5, 0, 1, 2, 3, 0, 0}, 10},
        {"bytes after the terminator are not part of it", {4, 0, 1, 2, 0, 0, 0xFF, 0xFF}, 6},
        {"empty value", {}, 0},
        {"a single byte", {0}, 0},
        {"no terminator", {4, 0, 1, 2}, 0},
        {"terminator cut in half", {4, 0, 1, 2, 0}, 0},
        {"item running past the end", {9, 0, 1, 2, 0, 0}, 0},
        {"count past the end by one", {7, 0, 1, 2, 3, 0, 0}, 0},
        {"count of 1 is shorter than the count itself", {1, 0, 0, 0}, 0},
        {"large count", {0xFF, 0xFF, 0, 0}, 0},
    };
    for (const ListCase& c : cases)
        EXPECT_EQ(MeasureItemIdList(c.bytes.data(), c.bytes.size()), c.expected) << c.name;
    EXPECT_EQ(MeasureItemIdList(nullptr, 10), 0u);
}

// Whatever the bytes, a result lies inside the buffer and ends in a zero count reached by
// walking the counts; a refusal is 0.
TEST(ItemIdListBytes, RandomBytesNeverMeasurePastTheirLength)
{
    std::mt19937 random(20240607);
    for (int round = 0; round < 20000; ++round)
    {
        std::vector<std::uint8_t> bytes(random() % 24);
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(random() % 4 == 0 ? 0 : random() % 12);
        std::size_t size = MeasureItemIdList(bytes.data(), bytes.size());
        ASSERT_LE(size, bytes.size());
        if (size == 0)
            continue;
        std::size_t offset = 0;
        while (bytes[offset] | (bytes[offset + 1] << 8))
            offset += bytes[offset] | (bytes[offset + 1] << 8);
        ASSERT_EQ(offset + 2, size);
    }
}
} // namespace
