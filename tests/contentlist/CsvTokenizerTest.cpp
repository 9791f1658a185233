#include "contentlist/CharStep.h"
#include "contentlist/CsvTokenizer.h"

#include <gtest/gtest.h>

namespace
{
using Fields = std::vector<std::string>;
const CCodePage& sjis = TableCodePage(932);
const CCodePage& single = SingleByteCodePage();
const Fields kNothing; // Split's false: a line that splits has one field at least

Fields SplitLine(const char* line, const CCodePage& codePage, bool trim)
{
    CCsvTokenizer tokenizer(codePage);
    tokenizer.SetTrim(trim);
    EXPECT_TRUE(tokenizer.SetLine(line));
    Fields fields{"stale"};
    const bool split = tokenizer.Split(fields);
    EXPECT_TRUE(split || fields.empty());
    return fields;
}
} // namespace

TEST(CsvTokenizer, SplitsTheLastLineSet)
{
    struct { const char* line; const CCodePage& page; bool trim; Fields fields; } const rows[] = {
        {"\"A1\",\" C:\\a.txt\",\" b\", \" 42\"", sjis, true, {"A1", " C:\\a.txt", " b", " 42"}},
        {"a,b,c,d,e,f", sjis, true, {"a", "b", "c", "d", "e", "f"}}, {"a,,b", sjis, true, {"a", "", "b"}},
        {"a,", sjis, true, {"a", ""}}, {",", sjis, true, {"", ""}}, {"\"a\",", sjis, true, {"a", ""}},
        {" \t a \t,\t b ,  \" c \" ", sjis, true, {"a \t", "b ", " c  "}}, // leading blanks go, trailing stay
        {"\"k,a", sjis, true, {"k,a"}}, {"x\"y,z,", sjis, true, {"xy,z,"}}, // an open quote runs to the end
        {"\"k\",\"a,b\"", sjis, true, {"k", "a,b"}}, {"a\"b,c\"d,e", sjis, true, {"ab,cd", "e"}},
        {"\"a\"\"b\",c", sjis, true, {"a\"b", "c"}}, {"", sjis, true, kNothing}, {nullptr, sjis, true, kNothing},
        {" \t \t", sjis, true, kNothing}, {" \t", single, false, {" \t"}}, {"  a, b", single, false, {"  a", " b"}},
        // 0x81 is a Shift-JIS lead byte: the byte after it is no separator and no quote.
        {"\"\x81\x2C\",\"\x81\x22\",\x95\x5C", sjis, true, {"\x81\x2C", "\x81\x22", "\x95\x5C"}},
        {"a\x81,b", sjis, true, {"a\x81,b"}}, {"a\x81,b", single, true, {"a\x81", "b"}},
        {"a,\x81", sjis, true, {"a", "\x81"}}, // a lead byte at the very end stands alone
    };
    for (const auto& row : rows)
        EXPECT_EQ(SplitLine(row.line, row.page, row.trim), row.fields) << (row.line ? row.line : "null");
    CCsvTokenizer tokenizer(single); // a new line replaces the last one
    Fields fields;
    EXPECT_FALSE(tokenizer.SetLine("a,b") && tokenizer.SetLine("") && tokenizer.Split(fields));
    EXPECT_TRUE(tokenizer.SetLine("c") && tokenizer.Split(fields) && fields == Fields{"c"});
    EXPECT_FALSE(tokenizer.SetLine("  ") && tokenizer.Split(fields));
}

TEST(CsvTokenizer, Unquote)
{
    struct { const char* field; const CCodePage& page; const char* unquoted; } const rows[] = {
        {"\"\"", sjis, "\""}, {"\"\"\"", sjis, "\""}, {"\"\"\"\"", sjis, "\"\""}, {"\"a\"", sjis, "a"},
        {"a\"b", sjis, "ab"}, {"a\"\"", sjis, "a\""}, {"\"a\"\"", sjis, "a\""}, {"\" a\"\"b\"", sjis, " a\"b"},
        {"plain", sjis, "plain"}, {"", sjis, ""}, {"ab\"cd\"ef", sjis, "abcdef"},
        // A quote after a lead byte is its trail byte and stays.
        {"\"\x81\"\"", sjis, "\x81\""}, {"\x81\"", sjis, "\x81\""},
        {"\"\x81\"\"", single, "\x81\""}, {"\x81\"", single, "\x81"},
    };
    for (const auto& row : rows)
    {
        std::string field = row.field;
        CCsvTokenizer(row.page).Unquote(field);
        EXPECT_EQ(field, row.unquoted) << row.field;
    }
}

// The eight-byte scan stops at the first stop byte, wherever it lies in its word, and at the end.
TEST(StopBytes, Skip)
{
    constexpr CStopBytes stops(',', '"');
    const std::string text = "abcdefg,ijklmnopqrstu\"wxyz0123456\x80xy~\x7F";
    struct { std::size_t from, end, stop; } const rows[] = {
        {0, text.size(), 7}, {8, text.size(), 21}, {22, text.size(), 33}, {34, text.size(), text.size()},
        {0, 5, 5}, {8, 20, 20}, {7, text.size(), 7}, {21, 21, 21},
    };
    for (const auto& row : rows)
        EXPECT_EQ(stops.Skip(text.data(), row.from, row.end), row.stop) << row.from;
}
