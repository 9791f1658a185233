#include "destination/ItemIdListBytes.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
TEST(ItemIdListBytes, MeasuresWholeListsAndRefusesBrokenOnes)
{
    std::vector<std::uint8_t> big(0x106, 0x11); // one item of 0x104 bytes, its count's high byte 1
    big[0] = 4, big[1] = 1, big[0x104] = big[0x105] = 0;
    struct { const char* name; std::vector<std::uint8_t> bytes; std::size_t size; } const rows[] = {
        {"desktop: a lone terminator", {0, 0}, 2}, {"one item", {4, 0, 0xAA, 0xBB, 0, 0}, 6},
        {"an item of its count alone", {2, 0, 0, 0}, 4}, {"two items", {3, 0, 0x11, 5, 0, 1, 2, 3, 0, 0}, 10},
        {"a count with a high byte", big, 0x106},
        {"bytes after the terminator are not part of it", {4, 0, 1, 2, 0, 0, 0xFF, 0xFF}, 6},
        {"empty", {}, 0}, {"a single byte", {0}, 0}, {"no terminator", {4, 0, 1, 2}, 0},
        {"terminator cut in half", {4, 0, 1, 2, 0}, 0}, {"item past the end", {9, 0, 1, 2, 0, 0}, 0},
        {"count past the end by one", {7, 0, 1, 2, 3, 0, 0}, 0}, {"large count", {0xFF, 0xFF, 0, 0}, 0},
        {"count of 1, shorter than the count itself", {1, 0, 0, 0}, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(MeasureItemIdList(row.bytes.data(), row.bytes.size()), row.size) << row.name;
    EXPECT_EQ(MeasureItemIdList(nullptr, 10), 0u);
    const std::uint8_t past[] = {2, 0, 5, 0, 0, 0, 0, 0, 0, 0}; // the second item ends past the 6 bytes given
    EXPECT_EQ(MeasureItemIdList(past, 6), 0u);
}
} // namespace
