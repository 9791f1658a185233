#include "framework/CodePage.h"

#include <gtest/gtest.h>

TEST(TableCodePage, LeadByteRangesAndTheirBounds)
{
    struct { unsigned page; unsigned char byte; bool lead; } const rows[] = {
        {932, 0x80, false}, {932, 0x81, true}, {932, 0x9F, true}, {932, 0xA0, false}, {932, 0xDF, false},
        {932, 0xE0, true}, {932, 0xFC, true}, {932, 0xFD, false}, {936, 0x80, false}, {936, 0x81, true},
        {936, 0xA0, true}, {936, 0xFE, true}, {936, 0xFF, false}, {949, 0x80, false}, {949, 0x81, true},
        {949, 0xFE, true}, {949, 0xFF, false}, {950, 0x80, false}, {950, 0x81, true}, {950, 0xFE, true},
        {950, 0xFF, false}, {1252, 0x81, false}, {931, 0x81, false}, {951, 0x81, false}, {0, 0xE0, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TableCodePage(row.page).IsLeadByte(row.byte), row.lead) << row.page << " " << int(row.byte);
    EXPECT_EQ(TableCodePage(932).CharLength(std::string("\x95\0", 2), 0), 1u); // a lead byte before a NUL stands alone
}

// The units the tables know: 1252's ASCII and upper half, ASCII alone in a double-byte page.
TEST(TableCodePage, Utf16Units)
{
    struct { unsigned page; const char* text; unsigned unit; } const rows[] = {
        {1252, "A", 0x41}, {1252, "\x7F", 0x7F}, {1252, "\x80", 0}, {1252, "\x9F", 0},
        {1252, "\xA0", 0xA0}, {1252, "\xB9", 0xB9}, {1252, "\xFF", 0xFF}, {932, "\x7F", 0x7F}, {932, "\xB9", 0},
        {932, "\x83\x41", 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TableCodePage(row.page).Utf16Unit(row.text, 0), row.unit) << row.page << " " << row.text;
}
