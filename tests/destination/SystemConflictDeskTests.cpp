#include "destination/ConflictCheck.h"
#include "destination/SystemConflictDesk.h"
#include "peerkit/ContentListWriter.h"
#include "tests/destination/ShellTestSupport.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

namespace
{
using testfiles::CTempFolder;
using testfiles::WriteBytes;

class SystemConflictDesk : public ::testing::Test
{
  protected:
    std::string File(const std::string& name) const { return m_folder.File(name); }

    CTempFolder m_folder;
    CSystemConflictDesk m_desk;
};

TEST_F(SystemConflictDesk, TheCheckStartsWithTheTempCheckPending)
{
    EXPECT_TRUE(s_bTempCheckPending);
}

TEST_F(SystemConflictDesk, CombinePathJoinsOnceAndGivesNothingBeyond259Characters)
{
    EXPECT_EQ(m_desk.CombinePath("C:\\d", "a.txt"), "C:\\d\\a.txt");
    EXPECT_EQ(m_desk.CombinePath("C:\\d\\", "a.txt"), "C:\\d\\a.txt");
    EXPECT_EQ(m_desk.CombinePath("P:\\", "a.txt"), "P:\\a.txt");
    const std::string folder = "C:\\" + std::string(250, 'f');
    EXPECT_EQ(m_desk.CombinePath(folder, "12345").size(), 259u);
    EXPECT_EQ(m_desk.CombinePath(folder, "123456"), "");
    EXPECT_EQ(m_desk.CombinePath(folder, std::string(300, 'n')), "");
}

// Under Wine as root a file's read-only attribute is its Unix permission bits; the search must
// still report it.
TEST_F(SystemConflictDesk, FindFileTellsFilesFoldersAndReadOnlyOnesApart)
{
    ASSERT_TRUE(WriteBytes(File("rw.txt"), "rw"));
    ASSERT_TRUE(WriteBytes(File("ro.txt"), "ro"));
    ASSERT_TRUE(::SetFileAttributesA(File("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::CreateDirectoryA(File("sub").c_str(), nullptr));

    EXPECT_EQ(m_desk.FindFile(File("rw.txt")), FoundFile::Writable);
    EXPECT_EQ(m_desk.FindFile(File("ro.txt")), FoundFile::ReadOnly);
    EXPECT_EQ(m_desk.FindFile(File("sub")), FoundFile::Writable);
    EXPECT_EQ(m_desk.FindFile(File("RW.TXT")), FoundFile::Writable);
    EXPECT_EQ(m_desk.FindFile(File("missing.txt")), FoundFile::None);
    EXPECT_EQ(m_desk.FindFile(File("sub") + "\\"), FoundFile::None);
    EXPECT_EQ(m_desk.FindFile(""), FoundFile::None);
    // A pattern matches other files but names none.
    EXPECT_EQ(m_desk.FindFile(File("*.txt")), FoundFile::None);
    EXPECT_EQ(m_desk.FindFile(File("r?.txt")), FoundFile::None);
}

TEST_F(SystemConflictDesk, RecordedTempFileReadsTheListAfreshEachTime)
{
    const std::string list = File("list.csv");
    EXPECT_EQ(m_desk.RecordedTempFile(list, "k"), "");
    {
        peerkit::CContentListWriter writer(list);
        writer.SetRecord("k", ContentRecord{"C:\\t\\a.part", "x", 3});
        writer.SetRecord("K2", ContentRecord{"C:\\t\\b.part", "", 0});
        ASSERT_TRUE(writer.Commit());
    }
    EXPECT_EQ(m_desk.RecordedTempFile(list, "k"), "C:\\t\\a.part");
    EXPECT_EQ(m_desk.RecordedTempFile(list, "K2"), "C:\\t\\b.part");
    EXPECT_EQ(m_desk.RecordedTempFile(list, "K"), "");
    EXPECT_EQ(m_desk.RecordedTempFile("", "k"), "");
    {
        peerkit::CContentListWriter writer(list);
        writer.SetRecord("k", ContentRecord{"C:\\t\\c.part", "", 0});
        ASSERT_TRUE(writer.Commit());
    }
    EXPECT_EQ(m_desk.RecordedTempFile(list, "k"), "C:\\t\\c.part");

    // A list with a blank line does not load whole and records nothing, not even before the line.
    std::string line = testfiles::ReadBytes(list);
    ::SetFileAttributesA(list.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteBytes(list, line + "\r\n" + line));
    EXPECT_EQ(m_desk.RecordedTempFile(list, "k"), "");
}
} // namespace
