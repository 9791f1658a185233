#include "destination/FolderWritable.h"
#include "destination/ItemIdList.h"
#include "destination/ItemIdListHolder.h"
#include "tests/destination/ShellTestSupport.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace
{
using testfiles::CTempFolder;
using testsupport::BytesOf;
using testsupport::CParsedList;

TEST(ItemIdList, SizeAndCopyOfNullDesktopAndFolder)
{
    EXPECT_EQ(GetItemIdListSize(nullptr), 0u);
    EXPECT_EQ(CopyItemIdList(nullptr), nullptr);

    LPITEMIDLIST desktop = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop)));
    EXPECT_EQ(GetItemIdListSize(desktop), 2u);
    LPITEMIDLIST copy = CopyItemIdList(desktop);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, desktop);
    EXPECT_EQ(BytesOf(copy), (std::vector<BYTE>{0, 0}));
    ::CoTaskMemFree(copy);
    ::CoTaskMemFree(desktop);

    CTempFolder folder;
    CParsedList list(folder.Path());
    ASSERT_NE(list.Get(), nullptr);
    EXPECT_EQ(GetItemIdListSize(list.Get()), ::ILGetSize(list.Get()));
}

TEST(ItemIdListHolder, SetCopiesAndGivesThePathBack)
{
    CTempFolder folder;
    CParsedList list(folder.Path());
    ItemIdListHolder holder;
    EXPECT_EQ(holder.Get(), nullptr);
    holder.Set(list.Get());
    ASSERT_NE(holder.Get(), nullptr);
    EXPECT_NE(holder.Get(), list.Get());
    EXPECT_EQ(BytesOf(holder.Get()), list.Bytes());
    char path[MAX_PATH] = {};
    holder.GetPath(path);
    EXPECT_STREQ(path, folder.Path().c_str());
    holder.GetPath(nullptr);
    holder.Set(nullptr);
    EXPECT_EQ(holder.Get(), nullptr);
}

TEST(FolderWritable, OnlyAFolderThatTakesANewFileIsWritable)
{
    CTempFolder folder;
    EXPECT_EQ(IsFolderWritable(folder.Path().c_str()), 1);
    EXPECT_TRUE(folder.Names().empty()) << "the probe file must be gone";

    EXPECT_EQ(IsFolderWritable(nullptr), 0);
    EXPECT_EQ(IsFolderWritable(""), 0);
    EXPECT_EQ(IsFolderWritable((folder.Path() + "\\missing").c_str()), 0);
    // R: is mapped to a folder in which even root can create no file. There Wine's
    // GetTempFileNameA answers with a number but creates nothing.
    ASSERT_NE(::GetFileAttributesA("R:\\"), INVALID_FILE_ATTRIBUTES) << "test drive R: is not mapped";
    EXPECT_EQ(IsFolderWritable("R:\\"), 0);
}
} // namespace
