#include "contentlist/LineFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace
{
const CCodePage& ShiftJis()
{
    return TableCodePage(932);
}

ContentRecord Record(std::string text1, std::string text2, std::int32_t number)
{
    ContentRecord record;
    record.Text1 = std::move(text1);
    record.Text2 = std::move(text2);
    record.Number = number;
    return record;
}

// "key|text1|text2|number" after parsing into a key and a record that already hold something, as a
// caller's may; "refused " before it when ParseLine says false.
std::string Parsed(const std::string& line, const CCodePage& codePage = ShiftJis(),
                   ContentRecord record = Record("old1", "old2", 99))
{
    std::string key = "untouched";
    const bool accepted = ParseLine(line.c_str(), key, &record, codePage);
    return (accepted ? "" : "refused ") + key + "|" + record.Text1 + "|" + record.Text2 + "|" +
           std::to_string(record.Number);
}

// What the store does: the line written, then read without its CR LF into a new record.
std::string RoundTrip(const std::string& key, const ContentRecord& record)
{
    std::string line = FormatLineText(key.c_str(), record);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    return Parsed(line.substr(0, line.size() - 2), ShiftJis(), ContentRecord());
}
} // namespace

TEST(ContentLineFormat, WritesTheExactBytesEscapingNothing)
{
    struct { const char* key; ContentRecord record; const char* line; } const rows[] = {
        {"A1", Record("C:\\Files\\a.txt", "b", 42), "\"A1\",\" C:\\Files\\a.txt\",\" b\", \" 42\"\r\n"},
        {"", Record("", "", 0), "\"\",\" \",\" \", \" 0\"\r\n"},
        {"k", Record(" x ", "\tt", -2147483647 - 1), "\"k\",\"  x \",\" \tt\", \" -2147483648\"\r\n"},
        {"a\"b", Record("x,y", "\"", 7), "\"a\"b\",\" x,y\",\" \"\", \" 7\"\r\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FormatLineText(row.key, row.record), row.line) << row.line;
}

TEST(ContentLineFormat, BufferProtocol)
{
    const ContentRecord record = Record("t1", "t2", 5);
    const std::string line = "\"key\",\" t1\",\" t2\", \" 5\"\r\n";
    const auto size = static_cast<std::uint32_t>(line.size());
    std::uint32_t length = 0;
    EXPECT_TRUE(FormatLine("key", &record, nullptr, length));
    EXPECT_EQ(length, size);

    struct { std::uint32_t length; bool fits; } const rows[] = {{size - 1, false}, {size, true}, {size + 1, true}};
    for (const auto& row : rows)
    {
        std::string buffer(size + 1, '#');
        length = row.length;
        EXPECT_EQ(FormatLine("key", &record, &buffer[0], length), row.fits) << row.length;
        EXPECT_EQ(length, size) << row.length;
        EXPECT_EQ(buffer, row.fits ? line + "#" : std::string(size + 1, '#')) << row.length; // no NUL
    }
    length = 77;
    EXPECT_FALSE(FormatLine(nullptr, &record, nullptr, length));
    EXPECT_FALSE(FormatLine("key", nullptr, nullptr, length));
    EXPECT_EQ(length, 77u);
}

TEST(ContentLineParse, Lines)
{
    struct { const char* line; const char* parsed; } const rows[] = {
        {"\"A1\",\" C:\\Files\\a.txt\",\" b\", \" 42\"", "A1|C:\\Files\\a.txt|b|42"},
        {"\"k\",\"a,b\",\" d\", \" 0x1F\"", "k|a,b|d|31"},
        {"\"k\",\" a\",\" b\", \" 1\",\"extra\",\"more\"", "k|a|b|1"},
        {"  \" k \",\"  x  \",\" \tt\t \", \" 3 \"", " k |x|\tt\t|3"}, // texts lose outer spaces only
        {"\"k\",\" a\",\" b\", \" 12a\"", "k|a|b|99"}, // no number: the caller's Number stays
        {"\"k\",\" a\",\" b\", \" -5\"", "k|a|b|99"},
        {"\"k\",\" a\",\" b\", \"\"", "k|a|b|99"},
        {"\"k\",\" a\",\" b\", \" 2147483648\"", "k|a|b|99"},
        {"", "refused untouched|old1|old2|99"},
        {" \t ", "refused untouched|old1|old2|99"},
        {"\"k\",\" a\",\" b\"", "refused untouched|old1|old2|99"},
        {"\"k,a", "refused untouched|old1|old2|99"},
        {"\"k\",\" a\"b\",\" t\", \" 1\"", "refused untouched|old1|old2|99"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Parsed(row.line), row.parsed) << row.line;
    std::string key;
    ContentRecord record;
    EXPECT_FALSE(ParseLine(nullptr, key, &record, ShiftJis()));
    EXPECT_FALSE(ParseLine("\"k\",\" a\",\" b\", \" 1\"", key, nullptr, ShiftJis()));
}

TEST(ContentLineParse, WhatSurvivesAWriteAndRead)
{
    const std::string sjis = "C:\\\x95\x5C\\\x83\x5C\x81\x2C\x81\x22.txt"; // trail bytes \ , and "
    struct { std::string key; ContentRecord written; std::string read; } const rows[] = {
        {"\x95\x5C\x81\x2C", Record(sjis, "\x81\x22", 12), "\x95\x5C\x81\x2C|" + sjis + "|\x81\x22|12"},
        {"", Record("a", "b", 1), "\"|a|b|1"},                         // two quotes read as one
        {"k", Record("a\"b", "t", 1), "refused untouched|||0"},         // a lone quote unbalances it
        {"k\"\"", Record("a\"\"b", "t", 1), "k\"|a\"b|t|1"},            // adjacent quotes merge
        {"k", Record(" x ", "\tx", 1), "k|x|\tx|1"},                   // outer spaces go, a tab stays
        {"k", Record("a", "t", -5), "k|a|t|0"},                        // a negative number is none
    };
    for (const auto& row : rows)
        EXPECT_EQ(RoundTrip(row.key, row.written), row.read) << row.read;

    // Read as a single-byte page, a trail-byte quote unbalances the line.
    std::string line = FormatLineText("k", Record("\x81\x22", "t", 1));
    EXPECT_EQ(Parsed(line.substr(0, line.size() - 2), SingleByteCodePage()), "refused untouched|old1|old2|99");
}

TEST(ContentNumber, Forms)
{
    struct { const char* text; bool number; std::int32_t value; } const rows[] = {
        {"31", true, 31}, {"0x1F", true, 31}, {"0X1f", true, 31}, {"0xAbCdEf", true, 0xABCDEF},
        {"0x000000001f", true, 31}, {"007", true, 7}, {"0", true, 0}, {"9", true, 9}, {"0x9", true, 9},
        {"2147483647", true, 2147483647}, {"00000000002147483647", true, 2147483647},
        {"0x7fffffff", true, 2147483647}, {"0xFFFFFFFF", true, -1}, {"0x80000000", true, -2147483647 - 1},
        {"", true, 555}, // empty: value kept
        {"12a", false, 555}, {"-5", false, 555}, {"+5", false, 555}, {" 5", false, 555}, {"5 ", false, 555},
        {"0x", false, 555}, {"0xg", false, 555}, {"0x1g", false, 555}, {"x1", false, 555}, {"1e3", false, 555},
        {"0x/", false, 555}, {"0x:", false, 555}, {"0x`", false, 555}, {"/", false, 555}, {":", false, 555},
        {"2147483648", false, 555}, {"4294967296", false, 555}, {"99999999999999999999", false, 555},
        {"0x100000000", false, 555}, {"0x123456789", false, 555}, {"\x82\x4F", false, 555},
        {"0x\x82\x4F", false, 555},
    };
    for (const auto& row : rows)
    {
        std::int32_t number = 555;
        EXPECT_EQ(ParseNumber(row.text, number, ShiftJis()), row.number) << row.text;
        EXPECT_EQ(number, row.value) << row.text;
    }
}

TEST(ContentStripSpaces, OuterSpacesOnlyByWholeCharacters)
{
    struct { const char* text; const CCodePage& page; const char* stripped; } const rows[] = {
        {"  a b  ", ShiftJis(), "a b"}, {"\t a \t", ShiftJis(), "\t a \t"}, {"   ", ShiftJis(), ""},
        {" \x81 ", ShiftJis(), "\x81 "}, {" \x81 ", SingleByteCodePage(), "\x81"},
    };
    for (const auto& row : rows)
    {
        std::string text = row.text;
        StripSpaces(text, row.page);
        EXPECT_EQ(text, row.stripped) << row.text;
    }
}
