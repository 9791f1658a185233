#include "contentlist/ContentList.h"
#include "contentlist/LineFormat.h"
#include "framework/Handle.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

namespace
{
using testfiles::Attributes;
using testfiles::CTempFolder;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

// Fails the formatting of the record after the first, as a full disk or a failed allocation would
// part-way through a Save.
class CFailingList : public CContentList
{
  public:
    enum class Failure
    {
        Result,
        Memory
    };
    CFailingList(const std::string& path, Failure failure) : CContentList(path.c_str()), m_failure(failure) {}

    BOOL FormatLine(const char* key, const ContentRecord* record, char* buffer,
                    std::uint32_t& length) override
    {
        if (++m_nCalls <= 2)
            return CContentList::FormatLine(key, record, buffer, length);
        if (m_failure == Failure::Memory)
            throw std::bad_alloc();
        return FALSE;
    }

  private:
    Failure m_failure;
    int m_nCalls = 0;
};

const std::string kGoodList = "\"old\",\" C:\\old.txt\",\" t\", \" 1\"\r\n";
} // namespace

TEST(ContentListSave, EmptyMapWritesAZeroLengthHiddenFile)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    ASSERT_TRUE(WriteBytes(path, kGoodList));
    CContentList list(path.c_str());
    EXPECT_TRUE(list.RemoveRecord("old"));
    EXPECT_TRUE(list.Commit());
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(Attributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
}

TEST(ContentListSave, ReplacesReadOnlyAndHiddenFilesLeavingOnlyHidden)
{
    for (DWORD attributes : {DWORD{FILE_ATTRIBUTE_READONLY}, DWORD{FILE_ATTRIBUTE_HIDDEN},
                             DWORD{FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN}})
    {
        CTempFolder folder;
        const std::string path = folder.File("list.txt");
        ASSERT_TRUE(WriteBytes(path, kGoodList));
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), attributes));
        CContentList list(path.c_str());
        EXPECT_TRUE(list.SetRecord("new", "n", "m", 2));
        EXPECT_TRUE(list.RemoveRecord("old"));
        EXPECT_TRUE(list.Save()) << attributes;
        EXPECT_EQ(ReadBytes(path), "\"new\",\" n\",\" m\", \" 2\"\r\n");
        EXPECT_EQ(Attributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"list.txt"});
    }
}

TEST(ContentListSave, ManyRecordsRoundTrip)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    {
        CContentList list(path.c_str());
        for (int i = 0; i < 500; ++i)
        {
            const std::string key = "key" + std::to_string(i);
            const std::string text = "C:\\fetch\\part " + std::to_string(i) + ".tmp";
            ASSERT_TRUE(list.SetRecord(key.c_str(), text.c_str(), "t,2", i));
        }
        ASSERT_TRUE(list.Save());
    }
    CContentList list(path.c_str());
    ASSERT_TRUE(list.IsValid());
    for (int i = 0; i < 500; ++i)
    {
        const std::string key = "key" + std::to_string(i);
        std::string text;
        EXPECT_TRUE(list.GetText1(key.c_str(), text));
        EXPECT_EQ(text, "C:\\fetch\\part " + std::to_string(i) + ".tmp");
        EXPECT_EQ(list.GetNumber(key.c_str()), i);
    }
}

TEST(ContentListSave, FailingPartWayLeavesTheOldListAsItStood)
{
    for (CFailingList::Failure failure : {CFailingList::Failure::Result, CFailingList::Failure::Memory})
    {
        CTempFolder folder;
        const std::string path = folder.File("list.txt");
        ASSERT_TRUE(WriteBytes(path, kGoodList));
        ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
        CFailingList list(path, failure);
        ASSERT_TRUE(list.IsValid());
        ASSERT_TRUE(list.SetRecord("a", "A", "t", 1));
        ASSERT_TRUE(list.SetRecord("b", "B", "t", 2));
        EXPECT_FALSE(list.Save());
        EXPECT_EQ(ReadBytes(path), kGoodList);
        EXPECT_EQ(Attributes(path), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"list.txt"});
    }
}

// A reader that ignores the lock and holds the file without delete sharing blocks the replacement;
// the old list stays whole and readable.
TEST(ContentListSave, TargetHeldOpenLeavesTheOldList)
{
    CTempFolder folder;
    const std::string path = folder.File("list.txt");
    ASSERT_TRUE(WriteBytes(path, kGoodList));
    CContentList list(path.c_str());
    ASSERT_TRUE(list.SetRecord("new", "n", "m", 2));
    {
        CFileHandle reader(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_FALSE(list.Save());
    }
    EXPECT_EQ(ReadBytes(path), kGoodList);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"list.txt"});
    EXPECT_TRUE(list.Save());
}

TEST(ContentListSave, NoFolderOrAFolderInTheWay)
{
    CTempFolder folder;
    CContentList nowhere(folder.File("missing\\list.txt").c_str());
    ASSERT_TRUE(nowhere.SetRecord("k", "a", "b", 1));
    EXPECT_FALSE(nowhere.Save());
    EXPECT_TRUE(folder.Names().empty());

    ASSERT_TRUE(::CreateDirectoryA(folder.File("sub").c_str(), nullptr));
    CContentList onFolder(folder.File("list.txt").c_str());
    ASSERT_TRUE(onFolder.SetRecord("k", "a", "b", 1));
    ASSERT_TRUE(onFolder.Open(folder.File("sub").c_str()) == FALSE);
    EXPECT_FALSE(onFolder.Save());
    EXPECT_NE(Attributes(folder.File("sub")) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"sub"});
}
