#include "contentlist/LineFormat.h"

#include <gtest/gtest.h>

namespace
{
const CCodePage& kShiftJis = TableCodePage(932);

// "key|text1|text2|number" read into a key and record that hold something already; "refused " first on false.
std::string Parsed(const std::string& line, const CCodePage& page = kShiftJis, ContentRecord record = {"old1", "old2", 99})
{
    std::string key = "untouched";
    const bool accepted = ParseLine(line.c_str(), key, &record, page);
    return (accepted ? "" : "refused ") + key + "|" + record.Text1 + "|" + record.Text2 + "|" +
           std::to_string(record.Number);
}
} // namespace

TEST(ContentLineFormat, ExactBytesEscapingNothing)
{
    struct { const char* key; ContentRecord record; const char* line; } const rows[] = {
        {"A1", {"C:\\Files\\a.txt", "b", 42}, "\"A1\",\" C:\\Files\\a.txt\",\" b\", \" 42\"\r\n"},
        {"", {"", "", 0}, "\"\",\" \",\" \", \" 0\"\r\n"},
        {"k", {" x ", "\tt", -2147483647 - 1}, "\"k\",\"  x \",\" \tt\", \" -2147483648\"\r\n"},
        {"a\"b", {"x,y", "\"", 7}, "\"a\"b\",\" x,y\",\" \"\", \" 7\"\r\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FormatLineText(row.key, row.record), row.line) << row.line;
    // FormatLine: the size with no buffer, else the line without a NUL into a buffer large enough.
    const ContentRecord record{"t1", "t2", 5};
    const std::string line = "\"key\",\" t1\",\" t2\", \" 5\"\r\n";
    const auto size = static_cast<std::uint32_t>(line.size());
    std::uint32_t length = 0;
    EXPECT_TRUE(FormatLine("key", &record, nullptr, length) && length == size);
    struct { std::uint32_t length; bool fits; } const buffers[] = {{size - 1, false}, {size, true}, {size + 9, true}};
    for (const auto& row : buffers)
    {
        std::string buffer(size + 1, '#');
        length = row.length;
        EXPECT_EQ(FormatLine("key", &record, &buffer[0], length), row.fits) << row.length;
        EXPECT_EQ(length, size) << row.length;
        EXPECT_EQ(buffer, row.fits ? line + "#" : std::string(size + 1, '#')) << row.length;
    }
    length = 77;
    EXPECT_FALSE(FormatLine(nullptr, &record, nullptr, length));
    EXPECT_FALSE(FormatLine("key", nullptr, nullptr, length));
    EXPECT_EQ(length, 77u);
}

TEST(ContentLineParse, Lines)
{
    const char* refused = "refused untouched|old1|old2|99";
    struct { const char* line; const char* parsed; } const rows[] = {
        {"\"A1\",\" C:\\Files\\a.txt\",\" b\", \" 42\"", "A1|C:\\Files\\a.txt|b|42"},
        {"\"k\",\"a,b\",\" d\", \" 0x1F\"", "k|a,b|d|31"}, {"\"k\",\" a\",\" b\", \" 1\",\"x\"", "k|a|b|1"},
        {"  \" k \",\"  x  \",\" \tt\t \", \" 3 \"", " k |x|\tt\t|3"}, // texts lose outer spaces only
        {"\"k\",\" a\",\" b\", \" 12a\"", "k|a|b|99"}, // no number: the caller's Number stays
        {"\"k\",\" a\",\" b\", \" -5\"", "k|a|b|99"}, {"\"k\",\" a\",\" b\", \"\"", "k|a|b|99"},
        {"", refused}, {" \t ", refused}, {"\"k\",\" a\",\" b\"", refused}, {"\"k,a", refused},
        {"\"k\",\" a\"b\",\" t\", \" 1\"", refused}, {"\"k\",\"   \",\" \x81 \", \" 1\"", "k||\x81 |1"}, // a trail space
        {"\"k\",\"x \",, 5", "k|x||5"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Parsed(row.line), row.parsed) << row.line;
    std::string key;
    ContentRecord record;
    EXPECT_FALSE(ParseLine(nullptr, key, &record, kShiftJis));
    EXPECT_FALSE(ParseLine("\"k\",\" a\",\" b\", \" 1\"", key, nullptr, kShiftJis));
}

TEST(ContentLineParse, WhatSurvivesAWriteAndRead)
{
    const std::string sjis = "C:\\\x95\x5C\\\x83\x5C\x81\x2C\x81\x22.txt"; // trail bytes \ , and "
    struct { std::string key; ContentRecord written; std::string read; } const rows[] = {
        {"\x95\x5C\x81\x2C", {sjis, "\x81\x22", 12}, "\x95\x5C\x81\x2C|" + sjis + "|\x81\x22|12"},
        {"", {"a", "b", 1}, "\"|a|b|1"},                         // two quotes read as one
        {"k", {"a\"b", "t", 1}, "refused untouched|||0"},         // a lone quote unbalances it
        {"k\"\"", {"a\"\"b", "t", 1}, "k\"|a\"b|t|1"},            // adjacent quotes merge
        {"k", {" x ", "\tx", 1}, "k|x|\tx|1"},                   // outer spaces go, a tab stays
        {"k", {"a", "t", -5}, "k|a|t|0"},                        // a negative number is none
    };
    for (const auto& row : rows) // as the store reads: without the CR LF, into a new record
    {
        const std::string line = FormatLineText(row.key.c_str(), row.written);
        EXPECT_EQ(Parsed(line.substr(0, line.size() - 2), kShiftJis, ContentRecord{}), row.read) << line;
    }

}

// The value read, or "no" for a refusal, which must leave the value as it was.
TEST(ContentNumber, Forms)
{
    struct { const char* text; const char* value; } const rows[] = {
        {"31", "31"}, {"0x1F", "31"}, {"0X1f", "31"}, {"0xAbCdEf", "11259375"}, {"0x000000001f", "31"}, {"007", "7"},
        {"0", "0"}, {"9", "9"}, {"0x9", "9"}, {"2147483647", "2147483647"}, {"00000000002147483647", "2147483647"},
        {"0x7fffffff", "2147483647"}, {"0xFFFFFFFF", "-1"}, {"0x80000000", "-2147483648"}, {"", "555"}, // kept
        {"12a", "no"}, {"-5", "no"}, {"+5", "no"}, {" 5", "no"}, {"5 ", "no"}, {"0x", "no"}, {"0xg", "no"},
        {"0x1g", "no"}, {"x1", "no"}, {"1e3", "no"}, {"0x/", "no"}, {"0x:", "no"}, {"0x`", "no"}, {"/", "no"},
        {":", "no"}, {"2147483648", "no"}, {"4294967296", "no"}, {"99999999999999999999", "no"},
        {"0x100000000", "no"}, {"0x123456789", "no"}, {"\x82\x4F", "no"}, {"0x\x82\x4F", "no"},
    };
    for (const auto& row : rows)
    {
        std::int32_t number = 555;
        const bool read = ParseNumber(row.text, number, kShiftJis);
        EXPECT_EQ(read ? std::to_string(number) : number == 555 ? "no" : "changed", row.value) << row.text;
    }
}

// The writer's own form is read in one pass; any other line is left to the tokenizer ("other").
TEST(ContentLineParse, WriterForm)
{
    struct { const char* line; const char* fields; } const rows[] = {
        {"\"k\",\" a\",\" b\", \" 1\"", "k| a| b| 1"}, {" \t\"k\",\"a\",\"b\",\t\"1\"", "k|a|b|1"},
        {"\"k\",\"a\",\"b\",\"1\",\"x", "k|a|b|1"}, {"\"k,l\",\"a\",\"b\",\"1\"", "k,l|a|b|1"},
        {"k\",\"a\",\"b\",\"1\"", "other"}, {"\"\",\"a\",\"b\",\"1\"", "other"}, {"\"k\",\"a\",\"b\",\"\"", "other"},
        {"\"k\" ,\"a\",\"b\",\"1\"", "other"}, {"\"k\",\"a\",\"b\",\"1\"x", "other"}, {"\"k\",\"a\",\"b\"", "other"},
        {"\"k\",\"a\",\"b\",\"1", "other"}, {"\"k\",\"\x81\x40\",\"b\",\"1\"", "other"}, {"\"k\",\"a\",\"b\",", "other"},
        {"", "other"},
    };
    for (const auto& row : rows)
    {
        std::string_view fields[4];
        const bool written = SliceWrittenLine(row.line, fields);
        const std::string got = std::string(fields[0]) + "|" + std::string(fields[1]) + "|" +
                                std::string(fields[2]) + "|" + std::string(fields[3]);
        EXPECT_EQ(written ? got : "other", row.fields) << row.line;
    }
}
