#include "peerkit/ContentListWriter.h"

#include "contentlist/ContentList.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using testfiles::Attributes;
using testfiles::CTempFolder;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

ContentRecord Record(const char* text1, const char* text2, std::int32_t number)
{
    ContentRecord record;
    record.Text1 = text1;
    record.Text2 = text2;
    record.Number = number;
    return record;
}

std::string Text1(const CContentList& list, const char* key)
{
    std::string text = "<none>";
    list.GetText1(key, text);
    return text;
}
} // namespace

TEST(ContentListWriter, CommitWritesAHiddenListTheStoreReads)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    peerkit::CContentListWriter writer(path);
    writer.SetRecord("a", Record("C:\\a.part", "x", 3));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadBytes(path), "\"a\",\" C:\\a.part\",\" x\", \" 3\"\r\n");
    EXPECT_EQ(Attributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));

    CContentList list(path.c_str());
    EXPECT_EQ(list.LockName(), writer.LockName());
    EXPECT_EQ(Text1(list, "a"), "C:\\a.part");
    EXPECT_EQ(list.GetNumber("a"), 3);
}

TEST(ContentListWriter, CommitKeepsWhatOthersWrote)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    {
        CContentList list(path.c_str());
        list.SetRecord("a", "A", "t", 1);
        list.SetRecord("b", "B", "t", 2);
        ASSERT_TRUE(list.Save());
    }
    peerkit::CContentListWriter writer(path);
    writer.SetRecord("c", Record("C", "t", 3));
    writer.RemoveRecord("a");
    writer.SetRecord("b", Record("B2", "t", 4));
    ASSERT_TRUE(writer.Commit());

    CContentList list(path.c_str());
    EXPECT_EQ(Text1(list, "a"), "<none>");
    EXPECT_EQ(Text1(list, "b"), "B2");
    EXPECT_EQ(Text1(list, "c"), "C");
    EXPECT_EQ(list.GetNumber("b"), 4);
}

TEST(ContentListWriter, LeavesAListThatDoesNotReadWholeAlone)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    const std::string bytes = "\"a\",\" A\",\" t\", \" 1\"\r\n\r\n\"b\",\" B\",\" t\", \" 2\"\r\n";
    ASSERT_TRUE(WriteBytes(path, bytes));
    peerkit::CContentListWriter writer(path);
    writer.SetRecord("c", Record("C", "t", 3));
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"list.txt"});
}
