// The conflict check end to end: the real assistant asks its real questions in message boxes that
// the test reads and answers through the peer kit, with texts checked against the string table.
// The chosen folders are the roots of the test drives P: and Q: (private folders that scripts/test
// maps): Wine preselects a sub-folder's stored item-id list unreliably, and a failed preselection
// can make the dialog ignore the folder the test selects.
#include "peerkit/ContentListWriter.h"
#include "resources/resource.h"
#include "tests/e2e/support/DialogPeer.h"
#include "tests/e2e/support/E2eSupport.h"
#include "tests/e2e/support/StringTable.h"

#include <gtest/gtest.h>

namespace
{
using e2e::CDialogPeer;
using e2e::LoadedText;

const std::string kFolderA = "P:\\";
const std::string kFolderB = "Q:\\";
constexpr const char* kCaption = "Conflicts";
constexpr const char* kCompanyKey = "Software\\Brisel Co.,Ltd.";

// Removes what lies in a drive's root folder.
void EmptyRoot(const std::string& root)
{
    for (const std::string& name : e2e::NamesIn(root))
    {
        ::SetFileAttributesA((root + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        e2e::RemoveTree(root + name);
        ::DeleteFileA((root + name).c_str());
    }
}

// Both drives emptied before and after each test, and no folder remembered from other tests.
class ConflictTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(LoadedText(IDS_EXISTING_IN_FOLDER),
                  e2e::TableText(IDS_EXISTING_IN_FOLDER, e2e::kEnglish, 1252))
            << "the test links the assistant's string tables and runs in an English locale";
        for (const std::string& folder : {kFolderA, kFolderB})
        {
            ASSERT_TRUE(e2e::FileExists(folder)) << "test drives P: and Q: are mapped by scripts/test";
            EmptyRoot(folder);
        }
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kCompanyKey);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kCompanyKey);
        ASSERT_TRUE(m_peer.Start());
    }
    void TearDown() override
    {
        EmptyRoot(kFolderA);
        EmptyRoot(kFolderB);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kCompanyKey);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kCompanyKey);
    }

    static std::string InA(const std::string& name) { return kFolderA + name; }
    static std::string Lines(std::initializer_list<std::string> names)
    {
        std::string lines;
        for (const std::string& name : names)
            lines += "\t" + name + "\n";
        return lines;
    }
    static std::string ResumeQuestion(std::initializer_list<std::string> names)
    {
        return LoadedText(IDS_EXISTING_IN_TEMP) + Lines(names) + LoadedText(IDS_ASK_RESUME) +
               LoadedText(IDS_RESUME_CHOICES);
    }
    static std::string ReadOnlyMessage(std::initializer_list<std::string> names)
    {
        return LoadedText(IDS_EXISTING_IN_FOLDER) + Lines(names) + LoadedText(IDS_READ_ONLY_FILES);
    }
    static std::string OverwriteQuestion(std::initializer_list<std::string> names)
    {
        return LoadedText(IDS_EXISTING_IN_FOLDER) + Lines(names) + LoadedText(IDS_ASK_OVERWRITE) +
               LoadedText(IDS_OVERWRITE_CHOICES);
    }
    ::testing::AssertionResult IsBox(const std::string& text, std::initializer_list<int> buttons,
                                     int defaultButton)
    {
        return e2e::IsMessageBox(m_peer.Box(), text, kCaption, m_peer.Session().PeerWindow(), buttons,
                                 defaultButton);
    }
    ::testing::AssertionResult IsResumeQuestion(std::initializer_list<std::string> names)
    {
        return IsBox(ResumeQuestion(names), {IDYES, IDNO}, IDYES);
    }
    ::testing::AssertionResult IsReadOnlyMessage(std::initializer_list<std::string> names)
    {
        return IsBox(ReadOnlyMessage(names), {IDOK}, IDOK);
    }
    ::testing::AssertionResult IsOverwriteQuestion(std::initializer_list<std::string> names)
    {
        return IsBox(OverwriteQuestion(names), {IDYES, IDNO}, IDNO);
    }

    CDialogPeer m_peer;
};

peerkit::CDownloadRequestBuilder Request(const std::string& listPath,
                                         std::initializer_list<std::pair<std::string, std::string>> entries)
{
    peerkit::CDownloadRequestBuilder builder;
    builder.SetCaption(kCaption);
    builder.SetListFilePath(listPath);
    for (const auto& entry : entries)
        builder.AddEntry(entry.first, entry.second);
    return builder;
}

// EntryCount 0; read-only with writable files under a list path that names no file; writable files
// and a folder bearing an entry's name, refused and then accepted.
TEST_F(ConflictTest, ChosenFolderChecks)
{
    e2e::CTempFolder temp("conflict");
    const std::string noList = temp.File("no-such-list.csv");
    ASSERT_TRUE(e2e::WriteBytes(InA("ro.txt"), "old ro"));
    ASSERT_TRUE(::SetFileAttributesA(InA("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(e2e::WriteBytes(InA("rw.txt"), "old rw"));
    ASSERT_TRUE(::CreateDirectoryA(InA("sub").c_str(), nullptr));

    ASSERT_TRUE(m_peer.Send(Request(noList, {})));
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderA);
    EXPECT_TRUE(m_peer.ExpectAccepted(kFolderA, 0));

    ASSERT_TRUE(m_peer.Send(Request(noList, {{"rw.txt", "k1"}, {"ro.txt", "k2"}, {"new.txt", "k3"}})));
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderA);
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    EXPECT_TRUE(IsReadOnlyMessage({"ro.txt"}));
    m_peer.Answer(IDOK);
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderB);
    EXPECT_TRUE(m_peer.ExpectAccepted(kFolderB, 0));

    ASSERT_TRUE(m_peer.Send(Request(noList, {{"rw.txt", "k1"}, {"new.txt", "k3"}, {"sub", "k4"}})));
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderA);
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    EXPECT_TRUE(IsOverwriteQuestion({"rw.txt", "sub"}));
    m_peer.Answer(IDNO);
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderA);
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    EXPECT_TRUE(IsOverwriteQuestion({"rw.txt", "sub"}));
    m_peer.Answer(IDYES);
    EXPECT_TRUE(m_peer.ExpectAccepted(kFolderA, 0));
    // The check only asks; nothing in the folder was touched.
    EXPECT_EQ(e2e::ReadBytes(InA("rw.txt")), "old rw");
    EXPECT_FALSE(e2e::FileExists(InA("new.txt")));
}

// The resume question and the program-wide state around it, over four requests of one assistant.
TEST_F(ConflictTest, ResumeQuestion)
{
    e2e::CTempFolder temp("conflict");
    const std::string list = temp.File("contents.csv");
    ASSERT_TRUE(e2e::WriteBytes(temp.File("a.part"), "partial"));
    {
        peerkit::CContentListWriter writer(list);
        writer.SetRecord("key-a", ContentRecord{temp.File("a.part"), "", 0});
        writer.SetRecord("key-b", ContentRecord{temp.File("b.part"), "", 0});
        ASSERT_TRUE(writer.Commit());
    }
    ASSERT_TRUE(e2e::WriteBytes(InA("c.bin"), "old c"));
    const auto request = Request(list, {{"a.bin", "key-a"}, {"b.bin", "key-b"}, {"c.bin", "key-c"}});

    // No: ResumeFlag 0, and the chosen folder is checked in the same call.
    ASSERT_TRUE(m_peer.Send(request));
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderA);
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    EXPECT_TRUE(IsResumeQuestion({"a.bin"}));
    m_peer.Answer(IDNO);
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    EXPECT_TRUE(IsOverwriteQuestion({"c.bin"}));
    m_peer.Answer(IDYES);
    EXPECT_TRUE(m_peer.ExpectAccepted(kFolderA, 0));

    // Yes, then read-only files: the user chooses again and is not asked a second time.
    ASSERT_TRUE(::SetFileAttributesA(InA("c.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(m_peer.Send(request));
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderA);
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    EXPECT_TRUE(IsResumeQuestion({"a.bin"}));
    m_peer.Answer(IDYES);
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    EXPECT_TRUE(IsReadOnlyMessage({"c.bin"}));
    m_peer.Answer(IDOK);
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderB);
    EXPECT_TRUE(m_peer.ExpectAccepted(kFolderB, 1));

    // Abandoned after the question: the next request looks into no temporary folder at all.
    ASSERT_TRUE(m_peer.Send(request));
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderA);
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    EXPECT_TRUE(IsResumeQuestion({"a.bin"}));
    m_peer.Answer(IDYES);
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    EXPECT_TRUE(IsReadOnlyMessage({"c.bin"}));
    m_peer.Answer(IDOK);
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Cancel();
    ASSERT_TRUE(m_peer.NextIsMessageBox());
    m_peer.Answer(IDYES);
    EXPECT_TRUE(m_peer.ExpectAbandoned());

    ASSERT_TRUE(m_peer.Send(request));
    ASSERT_TRUE(m_peer.NextIsFolderDialog());
    m_peer.Choose(kFolderB);
    EXPECT_TRUE(m_peer.ExpectAccepted(kFolderB, 0));
    EXPECT_EQ(e2e::ReadBytes(temp.File("a.part")), "partial");
}
} // namespace
