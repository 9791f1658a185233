#include "contentlist/LineFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
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

struct Parsed
{
    bool accepted = false;
    std::string key = "untouched";
    ContentRecord record = Record("old1", "old2", 99);
};

Parsed Parse(const char* line, const CCodePage& codePage = ShiftJis())
{
    Parsed parsed;
    parsed.accepted = ParseLine(line, parsed.key, &parsed.record, codePage);
    return parsed;
}

// Written and read back, starting from a new record as the store does.
Parsed RoundTrip(const std::string& key, const ContentRecord& record)
{
    std::string line = FormatLineText(key.c_str(), record);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    line.resize(line.size() - 2);
    Parsed parsed;
    parsed.record = ContentRecord();
    parsed.accepted = ParseLine(line.c_str(), parsed.key, &parsed.record, ShiftJis());
    return parsed;
}
} // namespace

TEST(ContentLineFormat, WritesTheExactBytes)
{
    EXPECT_EQ(FormatLineText("A1", Record("C:\\Files\\a.txt", "b", 42)),
              "\"A1\",\" C:\\Files\\a.txt\",\" b\", \" 42\"\r\n");
    EXPECT_EQ(FormatLineText("", Record("", "", 0)), "\"\",\" \",\" \", \" 0\"\r\n");
    EXPECT_EQ(FormatLineText("k", Record(" x ", "\tt", -2147483647 - 1)),
              "\"k\",\"  x \",\" \tt\", \" -2147483648\"\r\n");
    // Nothing is escaped.
    EXPECT_EQ(FormatLineText("a\"b", Record("x,y", "\"", 7)), "\"a\"b\",\" x,y\",\" \"\", \" 7\"\r\n");
}

TEST(ContentLineFormat, BufferProtocol)
{
    const ContentRecord record = Record("t1", "t2", 5);
    const std::string expected = "\"key\",\" t1\",\" t2\", \" 5\"\r\n";
    std::uint32_t length = 0;
    EXPECT_TRUE(FormatLine("key", &record, nullptr, length));
    EXPECT_EQ(length, expected.size());

    std::string buffer(expected.size() + 1, '#');
    length = static_cast<std::uint32_t>(expected.size() - 1);
    EXPECT_FALSE(FormatLine("key", &record, &buffer[0], length));
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(buffer, std::string(expected.size() + 1, '#'));

    length = static_cast<std::uint32_t>(buffer.size());
    EXPECT_TRUE(FormatLine("key", &record, &buffer[0], length));
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(buffer, expected + "#"); // no terminating NUL

    length = 77;
    EXPECT_FALSE(FormatLine(nullptr, &record, &buffer[0], length));
    EXPECT_FALSE(FormatLine("key", nullptr, nullptr, length));
    EXPECT_EQ(length, 77u);
}

TEST(ContentLineParse, ReadsTheDocumentedLines)
{
    Parsed parsed = Parse("\"A1\",\" C:\\Files\\a.txt\",\" b\", \" 42\"");
    EXPECT_TRUE(parsed.accepted);
    EXPECT_EQ(parsed.key, "A1");
    EXPECT_EQ(parsed.record.Text1, "C:\\Files\\a.txt");
    EXPECT_EQ(parsed.record.Text2, "b");
    EXPECT_EQ(parsed.record.Number, 42);

    parsed = Parse("\"k\",\"a,b\",\" d\", \" 7\"");
    EXPECT_TRUE(parsed.accepted);
    EXPECT_EQ(parsed.key, "k");
    EXPECT_EQ(parsed.record.Text1, "a,b");
    EXPECT_EQ(parsed.record.Text2, "d");
    EXPECT_EQ(parsed.record.Number, 7);

    parsed = Parse("\"k\",\" a\",\" b\", \" 1\",\"extra\",\"more\"");
    EXPECT_TRUE(parsed.accepted);
    EXPECT_EQ(parsed.record.Text2, "b");
    EXPECT_EQ(parsed.record.Number, 1);
}

TEST(ContentLineParse, RejectsAndLeavesEverythingUnchanged)
{
    for (const char* line : {"", " \t ", "\"k\",\" a\",\" b\"", "\"k,a", "\"k\",\" a\"b\",\" t\", \" 1\""})
    {
        Parsed parsed = Parse(line);
        EXPECT_FALSE(parsed.accepted) << line;
        EXPECT_EQ(parsed.key, "untouched");
        EXPECT_EQ(parsed.record.Text1, "old1");
        EXPECT_EQ(parsed.record.Text2, "old2");
        EXPECT_EQ(parsed.record.Number, 99);
    }
    std::string key;
    ContentRecord record;
    EXPECT_FALSE(ParseLine(nullptr, key, &record, ShiftJis()));
    EXPECT_FALSE(ParseLine("\"k\",\" a\",\" b\", \" 1\"", key, nullptr, ShiftJis()));
}

TEST(ContentLineParse, KeyIsTakenAsSplitButTextsLoseOuterSpacesOnly)
{
    Parsed parsed = Parse("  \" k \",\"  x  \",\" \tt\t \", \" 3 \"");
    EXPECT_TRUE(parsed.accepted);
    EXPECT_EQ(parsed.key, " k ");
    EXPECT_EQ(parsed.record.Text1, "x");
    EXPECT_EQ(parsed.record.Text2, "\tt\t");
    EXPECT_EQ(parsed.record.Number, 3);
}

TEST(ContentLineQuirks, WhatDoesNotSurviveAWriteAndRead)
{
    // An empty key is written as two quotes, which read back as one.
    EXPECT_EQ(RoundTrip("", Record("a", "b", 1)).key, "\"");
    // A lone quote in a text leaves the quotes unbalanced and the line unreadable.
    EXPECT_FALSE(RoundTrip("k", Record("a\"b", "t", 1)).accepted);
    // Adjacent quotes merge.
    EXPECT_EQ(RoundTrip("k", Record("a\"\"b", "t", 1)).record.Text1, "a\"b");
    EXPECT_EQ(RoundTrip("k\"\"", Record("a", "t", 1)).key, "k\"");
    // Outer spaces go; a tab at the start stays.
    EXPECT_EQ(RoundTrip("k", Record(" x ", "t", 1)).record.Text1, "x");
    EXPECT_EQ(RoundTrip("k", Record("\tx", "t", 1)).record.Text1, "\tx");
    // A negative number is no number: the new record's 0 stays.
    EXPECT_EQ(RoundTrip("k", Record("a", "t", -5)).record.Number, 0);
}

TEST(ContentLineQuirks, ShiftJisTrailBytesSurvive)
{
    // 0x95 0x5C and 0x83 0x5C are real characters; 0x81 0x2C and 0x81 0x22 are what a lead-byte
    // scan makes of a lead byte before a comma or a quote.
    const std::string text = "C:\\\x95\x5C\\\x83\x5C\x81\x2C\x81\x22.txt";
    Parsed parsed = RoundTrip("\x95\x5C\x81\x2C\x81\x22", Record(text, "\x81\x22", 12));
    EXPECT_TRUE(parsed.accepted);
    EXPECT_EQ(parsed.key, "\x95\x5C\x81\x2C\x81\x22");
    EXPECT_EQ(parsed.record.Text1, text);
    EXPECT_EQ(parsed.record.Text2, "\x81\x22");
    EXPECT_EQ(parsed.record.Number, 12);

    // Read as a single-byte page, the same line falls apart.
    std::string line = FormatLineText("k", Record("\x81\x22", "t", 1));
    line.resize(line.size() - 2);
    EXPECT_FALSE(Parse(line.c_str(), SingleByteCodePage()).accepted);
}

// Texts without quotes and without outer spaces come back byte for byte, whatever mix of
// separators, backslashes, tabs and double-byte characters they hold.
TEST(ContentLineQuirks, RandomTextsWithoutQuotesRoundTrip)
{
    const std::string pieces[] = {"a",        "Z",        "9",        ",",        "\\",
                                  "\t",       " ",        "\x95\x5C", "\x83\x5C", "\x81\x2C",
                                  "\x81\x22", "\x82\xA0", "\xB1",     ":",        "."};
    std::mt19937 random(932);
    auto text = [&](bool allowEmpty) {
        std::string result;
        std::size_t count = random() % 12 + (allowEmpty ? 0 : 1);
        for (std::size_t i = 0; i < count; ++i)
            result += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        while (!result.empty() && result.back() == ' ')
            result.pop_back();
        std::size_t first = result.find_first_not_of(' ');
        return first == std::string::npos ? std::string("x") : result.substr(first);
    };
    for (int i = 0; i < 2000; ++i)
    {
        const std::string key = text(false);
        const ContentRecord record = Record(text(true), text(true), static_cast<std::int32_t>(random() >> 1));
        Parsed parsed = RoundTrip(key, record);
        ASSERT_TRUE(parsed.accepted) << FormatLineText(key.c_str(), record);
        EXPECT_EQ(parsed.key, key);
        EXPECT_EQ(parsed.record.Text1, record.Text1);
        EXPECT_EQ(parsed.record.Text2, record.Text2);
        EXPECT_EQ(parsed.record.Number, record.Number);
    }
}

TEST(ContentNumber, AcceptedForms)
{
    const struct
    {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"31", 31},
        {"0x1F", 31},
        {"0X1f", 31},
        {"0x000000001f", 31},
        {"007", 7},
        {"0", 0},
        {"2147483647", 2147483647},
        {"0x7fffffff", 2147483647},
        {"0xFFFFFFFF", -1},
        {"0x80000000", -2147483647 - 1},
        {"00000000002147483647", 2147483647},
    };
    for (const auto& c : cases)
    {
        std::int32_t number = 555;
        EXPECT_TRUE(ParseNumber(c.text, number, ShiftJis())) << c.text;
        EXPECT_EQ(number, c.value) << c.text;
    }
    std::int32_t number = 555;
    EXPECT_TRUE(ParseNumber("", number, ShiftJis()));
    EXPECT_EQ(number, 555);
}

TEST(ContentNumber, NonNumbersLeaveTheValue)
{
    for (const char* text : {"12a", "-5", "+5", " 5", "5 ", "0x", "0xg", "0x1g", "x1", "1e3", "2147483648",
                             "4294967296", "99999999999999999999", "0x100000000", "\x82\x4F", "0x\x82\x4F"})
    {
        std::int32_t number = 555;
        EXPECT_FALSE(ParseNumber(text, number, ShiftJis())) << text;
        EXPECT_EQ(number, 555) << text;
    }
}

TEST(ContentNumber, FourthFieldOfALine)
{
    const struct
    {
        const char* field;
        std::int32_t value;
    } cases[] = {{"\" 0x1F\"", 31}, {"\" 0X1f\"", 31}, {"\" 31\"", 31}, {"\" 12a\"", 0},
                 {"\" -5\"", 0},    {"\"\"", 0},       {"\" \"", 0},    {"\" 2147483648\"", 0}};
    for (const auto& c : cases)
    {
        std::string line = std::string("\"k\",\" a\",\" b\", ") + c.field;
        std::string key;
        ContentRecord record;
        EXPECT_TRUE(ParseLine(line.c_str(), key, &record, ShiftJis())) << line;
        EXPECT_EQ(record.Number, c.value) << line;
    }
}

TEST(ContentStripSpaces, StepsOverDoubleByteCharacters)
{
    const struct
    {
        const char* text;
        const CCodePage& codePage;
        const char* stripped;
    } cases[] = {
        {"  a b  ", ShiftJis(), "a b"},  {"\t a \t", ShiftJis(), "\t a \t"},       {"   ", ShiftJis(), ""},
        {" \x81 ", ShiftJis(), "\x81 "}, {" \x81 ", SingleByteCodePage(), "\x81"},
    };
    for (const auto& c : cases)
    {
        std::string text = c.text;
        StripSpaces(text, c.codePage);
        EXPECT_EQ(text, c.stripped) << c.text;
    }
}
