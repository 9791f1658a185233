#include "contentlist/CsvTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
using Fields = std::vector<std::string>;

Fields SplitLine(const char* line, const CCodePage& codePage = TableCodePage(932), bool trim = true)
{
    CCsvTokenizer tokenizer(codePage);
    tokenizer.SetTrim(trim);
    EXPECT_TRUE(tokenizer.SetLine(line));
    Fields fields{"stale"};
    if (!tokenizer.Split(fields))
    {
        EXPECT_TRUE(fields.empty());
        return {"<nothing to split>"};
    }
    return fields;
}

std::string Unquoted(std::string field, const CCodePage& codePage = TableCodePage(932))
{
    CCsvTokenizer(codePage).Unquote(field);
    return field;
}
} // namespace

TEST(CsvTokenizerSplit, SplitsQuotedFieldsAndKeepsTheirInnerBlanks)
{
    EXPECT_EQ(SplitLine("\"A1\",\" C:\\Files\\a.txt\",\" b\", \" 42\""),
              (Fields{"A1", " C:\\Files\\a.txt", " b", " 42"}));
    EXPECT_EQ(SplitLine("\"k\",\"a,b\",\" d\", \" 7\""), (Fields{"k", "a,b", " d", " 7"}));
    EXPECT_EQ(SplitLine("a,b,c,d,e,f"), (Fields{"a", "b", "c", "d", "e", "f"}));
}

TEST(CsvTokenizerSplit, EmptyAndTrailingSeparators)
{
    EXPECT_EQ(SplitLine("a,,b"), (Fields{"a", "", "b"}));
    EXPECT_EQ(SplitLine("a,"), (Fields{"a", ""}));
    EXPECT_EQ(SplitLine(","), (Fields{"", ""}));
    EXPECT_EQ(SplitLine("\"a\","), (Fields{"a", ""}));
}

TEST(CsvTokenizerSplit, LeadingBlanksGoTrailingBlanksStay)
{
    EXPECT_EQ(SplitLine(" \t a \t,\t b ,  \" c \" "), (Fields{"a \t", "b ", " c  "}));
    EXPECT_EQ(SplitLine("  a, b", SingleByteCodePage(), false), (Fields{"  a", " b"}));
}

TEST(CsvTokenizerSplit, SeparatorInsideAnOpenQuoteDoesNotSplit)
{
    EXPECT_EQ(SplitLine("\"k,a"), (Fields{"k,a"}));
    EXPECT_EQ(SplitLine("a\"b,c\"d,e"), (Fields{"ab,cd", "e"}));
    EXPECT_EQ(SplitLine("x\"y,z,"), (Fields{"xy,z,"}));
    EXPECT_EQ(SplitLine("\"a\"\"b\",c"), (Fields{"a\"b", "c"}));
}

TEST(CsvTokenizerSplit, NothingToSplit)
{
    EXPECT_EQ(SplitLine(""), (Fields{"<nothing to split>"}));
    EXPECT_EQ(SplitLine(nullptr), (Fields{"<nothing to split>"}));
    EXPECT_EQ(SplitLine(" \t \t"), (Fields{"<nothing to split>"}));
    EXPECT_EQ(SplitLine(" \t", SingleByteCodePage(), false), (Fields{" \t"}));

    CCsvTokenizer tokenizer(SingleByteCodePage());
    tokenizer.SetLine("a,b");
    tokenizer.SetLine("");
    Fields fields;
    EXPECT_FALSE(tokenizer.Split(fields));
}

// 0x81 is a Shift-JIS lead byte: the byte after it is part of the character, never a separator or
// a quote, though a single-byte page reads the same bytes differently.
TEST(CsvTokenizerSplit, DoubleByteTrailBytesAreNeitherSeparatorsNorQuotes)
{
    EXPECT_EQ(SplitLine("\"\x81\x2C\",\"\x81\x22\",\x95\x5C"), (Fields{"\x81\x2C", "\x81\x22", "\x95\x5C"}));
    EXPECT_EQ(SplitLine("a\x81,b", SingleByteCodePage()), (Fields{"a\x81", "b"}));
    EXPECT_EQ(SplitLine("a\x81,b"), (Fields{"a\x81,b"}));
    // A lead byte at the very end stands alone.
    EXPECT_EQ(SplitLine("a,\x81"), (Fields{"a", "\x81"}));
}

TEST(CsvTokenizerUnquote, PairsMergeAndLoneQuotesVanish)
{
    EXPECT_EQ(Unquoted("\"\""), "\"");
    EXPECT_EQ(Unquoted("\"\"\""), "\"");
    EXPECT_EQ(Unquoted("\"\"\"\""), "\"\"");
    EXPECT_EQ(Unquoted("\"a\""), "a");
    EXPECT_EQ(Unquoted("a\"b"), "ab");
    EXPECT_EQ(Unquoted("a\"\""), "a\"");
    EXPECT_EQ(Unquoted("\"a\"\""), "a\"");
    EXPECT_EQ(Unquoted("\" a\"\"b\""), " a\"b");
    EXPECT_EQ(Unquoted("plain"), "plain");
    EXPECT_EQ(Unquoted(""), "");
}

TEST(CsvTokenizerUnquote, TrailByteQuoteStays)
{
    EXPECT_EQ(Unquoted("\"\x81\"\""), "\x81\"");
    EXPECT_EQ(Unquoted("\"\x81\"\"", SingleByteCodePage()), "\x81\"");
    EXPECT_EQ(Unquoted("\x81\"", SingleByteCodePage()), "\x81");
    EXPECT_EQ(Unquoted("\x81\""), "\x81\"");
}
