#include "contentlist/ContentListText.h"

#include "contentlist/LineFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Line(const std::string& key, const std::string& text1, int number = 1)
{
    ContentRecord record;
    record.Text1 = text1;
    record.Text2 = "t";
    record.Number = number;
    return FormatLineText(key.c_str(), record);
}

struct Loaded
{
    bool whole = false;
    ContentRecordMap records;
};

Loaded Load(const std::string& bytes)
{
    Loaded loaded;
    loaded.whole = ParseContentListText(bytes, TableCodePage(932), loaded.records);
    return loaded;
}
} // namespace

TEST(ContentListText, LineEnds)
{
    EXPECT_TRUE(Load("").whole);
    EXPECT_TRUE(Load("").records.empty());

    const std::string a = Line("a", "A");
    const std::string b = Line("b", "B");
    const std::string lastWithoutEnd = b.substr(0, b.size() - 2);
    Loaded loaded = Load(a + lastWithoutEnd);
    EXPECT_TRUE(loaded.whole);
    EXPECT_EQ(loaded.records.size(), 2u);
    EXPECT_EQ(loaded.records["b"].Text1, "B");

    EXPECT_TRUE(Load(a + b).whole);
    EXPECT_EQ(Load(a + b).records.size(), 2u);

    // Lines that end in LF alone read the same.
    loaded = Load("\"a\",\" A\",\" t\", \" 3\"\n\"b\",\" B\",\" t\", \" 4\"\n");
    EXPECT_TRUE(loaded.whole);
    EXPECT_EQ(loaded.records["a"].Number, 3);
    EXPECT_EQ(loaded.records["b"].Number, 4);
}

TEST(ContentListText, StopsAtTheFirstRejectedLineKeepingEarlierRecords)
{
    const std::string a = Line("a", "A");
    const std::string b = Line("b", "B");
    Loaded loaded = Load(a + b + "\r\n");
    EXPECT_FALSE(loaded.whole);
    EXPECT_EQ(loaded.records.size(), 2u);

    loaded = Load(a + "\r\n" + b);
    EXPECT_FALSE(loaded.whole);
    EXPECT_EQ(loaded.records.size(), 1u);
    EXPECT_EQ(loaded.records.count("a"), 1u);

    loaded = Load(a + " \t\r\n" + b);
    EXPECT_FALSE(loaded.whole);
    EXPECT_EQ(loaded.records.size(), 1u);

    loaded = Load("\"x\",\" y\"\r\n" + a);
    EXPECT_FALSE(loaded.whole);
    EXPECT_TRUE(loaded.records.empty());

    EXPECT_FALSE(Load("\r\n").whole);
}

TEST(ContentListText, LastLineOfAKeyWinsAndKeysAreCaseSensitive)
{
    Loaded loaded =
        Load(Line("k", "first", 1) + Line("abc", "lower") + Line("ABC", "upper") + Line("k", "second", 2));
    EXPECT_TRUE(loaded.whole);
    EXPECT_EQ(loaded.records.size(), 3u);
    EXPECT_EQ(loaded.records["k"].Text1, "second");
    EXPECT_EQ(loaded.records["k"].Number, 2);
    EXPECT_EQ(loaded.records["abc"].Text1, "lower");
    EXPECT_EQ(loaded.records["ABC"].Text1, "upper");
}

// What the C runtime's text-mode stream makes of the bytes on Windows.
TEST(ContentListText, TextModeConversion)
{
    EXPECT_EQ(ToTextMode("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(ToTextMode("a\r\r\nb"), "a\r\nb");
    EXPECT_EQ(ToTextMode("a\rb\n\r"), "a\rb\n\r");
    EXPECT_EQ(ToTextMode("a\r\n\x1A\r\nb"), "a\n");
    EXPECT_EQ(ToTextMode(std::string("a\0b\r\n", 5)), std::string("a\0b\n", 4));
    EXPECT_EQ(ToTextMode("\x1A"), "");

    // A CR left over before the line end spoils the fourth field, not the line.
    Loaded loaded = Load("\"k\",\" a\",\" b\", \" 7\"\r\r\n");
    EXPECT_TRUE(loaded.whole);
    EXPECT_EQ(loaded.records["k"].Number, 0);
    loaded = Load(Line("a", "A") + "\x1A" + Line("b", "B"));
    EXPECT_TRUE(loaded.whole);
    EXPECT_EQ(loaded.records.count("b"), 0u);
}

// Other writers name the mutex byte by byte: a trail byte 0x5C becomes a slash as well.
TEST(ContentListLockName, EveryBackslashByteBecomesASlash)
{
    EXPECT_EQ(ContentListLockName("C:\\Users\\Me\\List.CSV"), "C:/Users/Me/List.CSV");
    EXPECT_EQ(ContentListLockName("\\\\server\\share\\l"), "//server/share/l");
    EXPECT_EQ(ContentListLockName(""), "");
    EXPECT_EQ(ContentListLockName("C:\\\x95\x5C\\\x83\x5C.txt"), "C:/\x95//\x83/.txt");
}

TEST(ContentListFolder, FolderOfPath)
{
    const CCodePage& sjis = TableCodePage(932);
    EXPECT_EQ(FolderOfPath("C:\\a\\list.txt", sjis), "C:\\a\\");
    EXPECT_EQ(FolderOfPath("C:\\list.txt", sjis), "C:\\");
    EXPECT_EQ(FolderOfPath("C:/a/b/list.txt", sjis), "C:/a/b/");
    EXPECT_EQ(FolderOfPath("C:list.txt", sjis), "C:");
    EXPECT_EQ(FolderOfPath("list.txt", sjis), ".\\");
    EXPECT_EQ(FolderOfPath("C:\\\x95\x5C.txt", sjis), "C:\\");
    EXPECT_EQ(FolderOfPath("C:\\\x95\x5C.txt", SingleByteCodePage()), "C:\\\x95\\");
}
