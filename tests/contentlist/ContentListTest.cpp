#include "contentlist/ContentList.h"
#include "contentlist/LineFormat.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using testfiles::Attributes;
using testfiles::CTempFolder;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

std::string Line(const char* key, const char* text1, const char* text2 = "t", std::int32_t number = 1)
{
    ContentRecord record;
    record.Text1 = text1;
    record.Text2 = text2;
    record.Number = number;
    return FormatLineText(key, record);
}

std::string Text1(const CContentList& list, const char* key)
{
    std::string text = "<none>";
    list.GetText1(key, text);
    return text;
}

std::string Text2(const CContentList& list, const char* key)
{
    std::string text = "<none>";
    list.GetText2(key, text);
    return text;
}
} // namespace

TEST(ContentListOpen, MissingFileIsAUsableEmptyList)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    CContentList list(path.c_str());
    EXPECT_TRUE(list.IsValid());
    std::string text = "keep";
    EXPECT_FALSE(list.GetText1("k", text));
    EXPECT_EQ(text, "keep");

    EXPECT_TRUE(list.SetRecord("k", "C:\\a.txt", "t", 5));
    EXPECT_TRUE(list.Save());
    EXPECT_EQ(ReadBytes(path), "\"k\",\" C:\\a.txt\",\" t\", \" 5\"\r\n");
    EXPECT_EQ(Attributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"list.txt"});
}

TEST(ContentListOpen, EmptyPathIsUsableButNeverLoadsOrSaves)
{
    for (const char* path : {"", static_cast<const char*>(nullptr)})
    {
        CContentList list(path);
        EXPECT_TRUE(list.IsValid());
        EXPECT_TRUE(list.SetRecord("k", "a", "b", 1));
        EXPECT_EQ(Text1(list, "k"), "a");
        EXPECT_FALSE(list.Save());
        EXPECT_FALSE(list.Commit());
        EXPECT_FALSE(list.Load());
        EXPECT_EQ(Text1(list, "k"), "a");
    }
}

TEST(ContentListOpen, FolderPathIsUnusable)
{
    CTempFolder folder;
    CContentList list(folder.Path().c_str());
    EXPECT_FALSE(list.IsValid());
    EXPECT_EQ(Text2(list, "k"), "<none>");
}

TEST(ContentListLoad, ZeroLengthFileIsUsableAndEmpty)
{
    CTempFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File("list.txt"), ""));
    CContentList list(folder.File("list.txt").c_str());
    EXPECT_TRUE(list.IsValid());
    EXPECT_EQ(Text1(list, "k"), "<none>");
}

TEST(ContentListLoad, LineEnds)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    const std::string last = Line("b", "B");
    ASSERT_TRUE(WriteBytes(path, Line("a", "A") + last.substr(0, last.size() - 2)));
    EXPECT_EQ(Text1(CContentList(path.c_str()), "b"), "B");

    ASSERT_TRUE(WriteBytes(path, Line("a", "A", "t", 7) + Line("b", "B")));
    CContentList whole(path.c_str());
    EXPECT_TRUE(whole.IsValid());
    EXPECT_EQ(whole.GetNumber("a"), 7); // the CR of CR LF is gone before the fourth field is read

    ASSERT_TRUE(WriteBytes(path, Line("a", "A") + Line("b", "B") + "\r\n"));
    CContentList spoilt(path.c_str());
    EXPECT_FALSE(spoilt.IsValid());
    EXPECT_EQ(Text1(spoilt, "b"), "<none>");
    EXPECT_EQ(Text2(spoilt, "b"), "t");
}

TEST(ContentListLoad, BlankLineInTheMiddleLeavesTheListUnusable)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    ASSERT_TRUE(WriteBytes(path, Line("a", "A", "first") + "\r\n" + Line("b", "B", "second")));
    CContentList list(path.c_str());
    EXPECT_FALSE(list.IsValid());
    EXPECT_EQ(Text1(list, "a"), "<none>");
    EXPECT_EQ(Text2(list, "a"), "first");
    EXPECT_EQ(Text2(list, "b"), "<none>");
}

TEST(ContentListLoad, LastLineWinsAndKeysAreCaseSensitive)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    ASSERT_TRUE(WriteBytes(path, Line("k", "first") + Line("abc", "lower") + Line("ABC", "upper") +
                                     Line("k", "second")));
    CContentList list(path.c_str());
    EXPECT_EQ(Text1(list, "k"), "second");
    EXPECT_EQ(Text1(list, "abc"), "lower");
    EXPECT_EQ(Text1(list, "ABC"), "upper");
    EXPECT_EQ(Text1(list, "Abc"), "<none>");
}

// The platform-neutral parse claims to read the bytes as the store's text-mode stream does.
TEST(ContentListLoad, AgreesWithTheNeutralParseOnAwkwardBytes)
{
    const std::string a = Line("a", "A", "t", 3);
    const std::string b = Line("b", "B", "t", 4);
    const std::string cases[] = {
        a + b,
        a + "\n" + b,
        a.substr(0, a.size() - 2) + "\r\r\n" + b,
        a + "\"x\",\" p\",\" q\rr\", \" 1\"\r\n" + b,
        a + b.substr(0, b.size() - 2) + "\r",
        a + "\x1A" + b,
        a + "\x1A\r\n" + b,
        a + std::string("\"n\0\",", 6) + "\r\n" + b,
        std::string("\r\n"),
        std::string("\x1A\r\n"),
        a + "\r\n\r\n" + b,
    };
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    for (const std::string& bytes : cases)
    {
        ASSERT_TRUE(WriteBytes(path, bytes));
        ContentRecordMap expected;
        const bool whole = ParseContentListText(bytes, SystemCodePage(), expected);
        CContentList list(path.c_str());
        EXPECT_EQ(list.IsValid(), whole) << bytes;
        for (const char* key : {"a", "b", "n", "x"})
        {
            auto found = expected.find(key);
            EXPECT_EQ(Text2(list, key), found == expected.end() ? "<none>" : found->second.Text2) << bytes;
            if (whole && found != expected.end())
            {
                EXPECT_EQ(Text1(list, key), found->second.Text1) << bytes;
                EXPECT_EQ(list.GetNumber(key), found->second.Number) << bytes;
            }
        }
    }
}

TEST(ContentListRecords, SettersAndGetters)
{
    CTempFolder folder;
    CContentList list(folder.File("missing.txt").c_str());
    EXPECT_FALSE(list.SetRecord(nullptr, "a", "b", 1));
    EXPECT_TRUE(list.SetRecord("k", nullptr, nullptr, 3));
    EXPECT_EQ(Text1(list, "k"), "");
    EXPECT_EQ(Text2(list, "k"), "");
    EXPECT_TRUE(list.SetRecord("k", "one", "two", 4));
    EXPECT_EQ(Text1(list, "k"), "one");
    EXPECT_EQ(list.GetNumber("k"), 4);

    EXPECT_FALSE(list.SetText2("k", nullptr));
    EXPECT_FALSE(list.SetText2("absent", "x"));
    EXPECT_TRUE(list.SetText2("k", "2"));
    EXPECT_EQ(Text2(list, "k"), "2");
    EXPECT_TRUE(list.SetText1("k", nullptr));
    EXPECT_EQ(Text1(list, "k"), "");
    EXPECT_FALSE(list.SetText1("absent", "x"));
    EXPECT_TRUE(list.SetNumber("k", -7));
    EXPECT_EQ(list.GetNumber("k"), -7);
    EXPECT_FALSE(list.SetNumber("absent", 1));
    EXPECT_FALSE(list.SetNumber(nullptr, 1));

    EXPECT_EQ(list.GetNumber("absent"), 0);
    EXPECT_EQ(list.GetNumber(nullptr), 0);
    std::string text = "keep";
    EXPECT_FALSE(list.GetText1(nullptr, text));
    EXPECT_FALSE(list.GetText2(nullptr, text));
    EXPECT_EQ(text, "keep");

    EXPECT_TRUE(list.RemoveRecord("absent"));
    EXPECT_FALSE(list.RemoveRecord(nullptr));
    EXPECT_TRUE(list.RemoveRecord("k"));
    EXPECT_EQ(Text2(list, "k"), "<none>");
}

TEST(ContentListRecords, UnusableListRefusesAllButGetText2)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    ASSERT_TRUE(WriteBytes(path, Line("a", "A", "first", 5) + "\r\n"));
    CContentList list(path.c_str());
    ASSERT_FALSE(list.IsValid());
    EXPECT_FALSE(list.SetRecord("n", "x", "y", 1));
    EXPECT_FALSE(list.SetText1("a", "x"));
    EXPECT_FALSE(list.SetText2("a", "x"));
    EXPECT_FALSE(list.SetNumber("a", 1));
    EXPECT_FALSE(list.RemoveRecord("a"));
    EXPECT_EQ(list.GetNumber("a"), 0);
    EXPECT_EQ(Text1(list, "a"), "<none>");
    EXPECT_EQ(Text2(list, "a"), "first");
}

TEST(ContentListRecords, CloseEmptiesAndRefusesUntilTheNextOpen)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    ASSERT_TRUE(WriteBytes(path, Line("a", "A")));
    CContentList list(path.c_str());
    ASSERT_EQ(Text1(list, "a"), "A");
    list.Close();
    EXPECT_FALSE(list.IsValid());
    EXPECT_TRUE(list.Path().empty());
    EXPECT_EQ(Text1(list, "a"), "<none>");
    EXPECT_EQ(Text2(list, "a"), "<none>");
    EXPECT_FALSE(list.Load());
    EXPECT_FALSE(list.Save());

    EXPECT_TRUE(list.Open(path.c_str()));
    EXPECT_EQ(Text1(list, "a"), "A");
}

// A list opened on a missing file starts empty even when the object held another list before, so
// that a later Save cannot write one list's records into another's file.
TEST(ContentListRecords, ReopeningOnAMissingFileStartsEmpty)
{
    CTempFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File("one.txt"), Line("a", "A")));
    CContentList list(folder.File("one.txt").c_str());
    ASSERT_EQ(Text1(list, "a"), "A");
    EXPECT_FALSE(list.Open(folder.File("two.txt").c_str()));
    EXPECT_TRUE(list.IsValid());
    EXPECT_EQ(Text2(list, "a"), "<none>");
    EXPECT_EQ(list.LockName(), ContentListLockName(folder.File("two.txt")));
}

TEST(ContentListShiftJis, TextsWithTrailBytesSurviveSaveAndLoad)
{
    const CCodePage& sjis = TableCodePage(932);
    const char* key = "\x95\x5C\x81\x2C\x81\x22";
    const std::string text1 = "C:\\\x95\x5C\\\x83\x5C\x81\x2C.txt";
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    {
        CContentList list(path.c_str(), sjis);
        EXPECT_TRUE(list.SetRecord(key, text1.c_str(), "\x81\x22\x81\x2C", 9));
        EXPECT_TRUE(list.Save());
    }
    CContentList list(path.c_str(), sjis);
    EXPECT_TRUE(list.IsValid());
    std::string text;
    EXPECT_TRUE(list.GetText1(key, text));
    EXPECT_EQ(text, text1);
    EXPECT_TRUE(list.GetText2(key, text));
    EXPECT_EQ(text, "\x81\x22\x81\x2C");
    EXPECT_EQ(list.GetNumber(key), 9);

    CContentList inFolder("C:\\\x95\x5C\\list.txt", sjis);
    EXPECT_EQ(inFolder.LockName(), "C:/\x95//list.txt");
}
