#include "framework/CodePage.h"

#include <gtest/gtest.h>

TEST(TableCodePage, LeadByteRangesAndTheirBounds)
{
    struct { unsigned page; unsigned char byte; bool lead; } const rows[] = {
        {932, 0x80, false}, {932, 0x81, true}, {932, 0x9F, true}, {932, 0xA0, false},
        {932, 0xDF, false}, {932, 0xE0, true}, {932, 0xFC, true}, {932, 0xFD, false},
        {936, 0x80, false}, {936, 0x81, true}, {936, 0xA0, true}, {936, 0xFE, true}, {936, 0xFF, false},
        {949, 0x80, false}, {949, 0x81, true}, {949, 0xFE, true}, {949, 0xFF, false},
        {950, 0x80, false}, {950, 0x81, true}, {950, 0xFE, true}, {950, 0xFF, false},
        {1252, 0x81, false}, {931, 0x81, false}, {933, 0x81, false}, {951, 0x81, false}, {0, 0xE0, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TableCodePage(row.page).IsLeadByte(row.byte), row.lead) << row.page << " " << int(row.byte);
}

TEST(CodePage, CharLengthTakesALeadByteWithTheByteAfterIt)
{
    struct { const char* name; std::string text; std::size_t pos, length; } const rows[] = {
        {"lead and trail", "a\x95\x5C", 1, 2}, {"trail byte 0x40", "\x81\x40", 0, 2}, {"ASCII", "ab", 0, 1},
        {"lead at the very end", "a\x95", 1, 1}, {"lead before a NUL", std::string("\x95\0b", 3), 0, 1},
    };
    for (const auto& row : rows)
    {
        EXPECT_EQ(TableCodePage(932).CharLength(row.text, row.pos), row.length) << row.name;
        EXPECT_EQ(SingleByteCodePage().CharLength(row.text, row.pos), 1u) << row.name;
    }
}
