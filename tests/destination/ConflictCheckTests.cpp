// The conflict check through a scripted desk, and the system desk's file search on real files.
#include "destination/ConflictCheck.h"
#include "destination/SystemConflictDesk.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
constexpr UINT kResume = MB_ICONINFORMATION | MB_YESNO, kReadOnly = MB_ICONINFORMATION;
constexpr UINT kOverwrite = MB_ICONINFORMATION | MB_YESNO | MB_DEFBUTTON2;
constexpr FoundFile kNone = FoundFile::None, kRw = FoundFile::Writable, kRo = FoundFile::ReadOnly;

// Every entry's temporary file is recorded as m_tempFile; message boxes are answered as scripted,
// then OK. Records the list reads, the searches and the texts shown.
class CFakeConflictDesk : public IConflictDesk
{
  public:
    std::vector<std::string> RecordedTempFiles(const std::string&,
                                               const std::vector<std::string>& keys) override
    {
        ++m_nListReads;
        return std::vector<std::string>(keys.size(), m_tempFile);
    }
    std::string CombinePath(const std::string& folder, const std::string& name) override
    {
        return folder + "\\" + name;
    }
    FoundFile FindFile(const std::string& path) override
    {
        m_searched.push_back(path);
        return m_files[path];
    }
    bool IsOnRemoteDrive(const std::string& path) override
    {
        ++m_nDriveQuestions;
        return path[0] == 'R';
    }
    const CCodePage& CodePage() override { return TableCodePage(932); }
    std::string LoadText(UINT) override { return ""; }
    int ShowMessage(HWND, const std::string& text, const std::string&, UINT style) override
    {
        m_texts.push_back(text);
        m_styles.push_back(style);
        return m_styles.size() <= m_answers.size() ? m_answers[m_styles.size() - 1] : IDOK;
    }

    std::string m_tempFile = "T:\\a";
    std::map<std::string, FoundFile> m_files;
    std::vector<int> m_answers;
    std::vector<UINT> m_styles;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_searched;
    int m_nListReads = 0;
    int m_nDriveQuestions = 0;
};

// One call from each state: what is asked, its result, the flags afterwards (ResumeFlag starts at 7).
TEST(ConflictCheck, StateTable)
{
    struct
    {
        const char* name;
        BOOL pendingBefore;
        bool tempFile;
        FoundFile inFolder;
        std::vector<int> answers;
        int result;
        BOOL pendingAfter;
        std::uint32_t resumeAfter;
        std::vector<UINT> styles;
    } const rows[] = {
        {"pending, nothing anywhere", TRUE, false, kNone, {}, 0, TRUE, 0, {}},
        {"pending, resume Yes, clear", TRUE, true, kNone, {IDYES}, 0, TRUE, 1, {kResume}},
        {"pending, resume No, clear", TRUE, true, kNone, {IDNO}, 0, TRUE, 0, {kResume}},
        {"pending, resume dismissed", TRUE, true, kNone, {IDCANCEL}, 0, TRUE, 0, {kResume}},
        {"resume Yes, read-only", TRUE, true, kRo, {IDYES, IDOK}, 1, FALSE, 1, {kResume, kReadOnly}},
        {"resume No, overwrite No", TRUE, true, kRw, {IDNO, IDNO}, 1, FALSE, 0, {kResume, kOverwrite}},
        {"resume Yes, overwrite Yes", TRUE, true, kRw, {IDYES, IDYES}, 0, TRUE, 1, {kResume, kOverwrite}},
        {"pending, no temp file, read-only", TRUE, false, kRo, {IDOK}, 1, TRUE, 0, {kReadOnly}},
        {"pending, no temp file, overwrite No", TRUE, false, kRw, {IDNO}, 1, TRUE, 0, {kOverwrite}},
        {"asked before, read-only", FALSE, true, kRo, {IDOK}, 1, FALSE, 7, {kReadOnly}},
        {"asked before, overwrite No", FALSE, true, kRw, {IDNO}, 1, FALSE, 7, {kOverwrite}},
        {"asked before, overwrite Yes", FALSE, true, kRw, {IDYES}, 0, TRUE, 7, {kOverwrite}},
        {"asked before, overwrite dismissed", FALSE, true, kRw, {IDCANCEL}, 0, TRUE, 7, {kOverwrite}},
        {"asked before, folder clear", FALSE, true, kNone, {}, 0, TRUE, 7, {}},
    };
    for (const auto& row : rows)
    {
        CFakeConflictDesk desk;
        desk.m_files = {{"T:\\a", row.tempFile ? kRw : kNone}, {"F:\\a", row.inFolder}};
        desk.m_answers = row.answers;
        BOOL pending = row.pendingBefore;
        std::uint32_t resume = 7;
        DownloadRequest request;
        request.listFilePath = "C:\\l";
        request.entries = {{"a", "k"}};
        EXPECT_EQ(CheckExistingFiles(desk, pending, nullptr, "F:", request, &resume), row.result) << row.name;
        EXPECT_EQ(pending, row.pendingAfter) << row.name;
        EXPECT_EQ(resume, row.resumeAfter) << row.name;
        EXPECT_EQ(desk.m_styles, row.styles) << row.name;
        EXPECT_EQ(desk.m_nListReads, row.pendingBefore ? 1 : 0) << row.name;
    }
}

// The list is read once for all entries, and not at all without entries; the system is asked once
// whether the drive of the list and the temporary files ("t:" is "T:") is a network drive.
TEST(ConflictCheck, ListReadOncePerCheck)
{
    for (std::size_t entries : {0u, 1u, 3u})
    {
        CFakeConflictDesk desk;
        BOOL pending = TRUE;
        DownloadRequest request;
        request.listFilePath = "t:\\l";
        request.entries.assign(entries, {"a", "k"});
        CheckExistingFiles(desk, pending, nullptr, "F:", request, nullptr);
        EXPECT_EQ(desk.m_nListReads, entries ? 1 : 0) << entries;
        EXPECT_EQ(desk.m_searched.size(), 2 * entries) << entries;
        EXPECT_EQ(desk.m_nDriveQuestions, entries ? 1 : 0) << entries;
    }
}

// Paths from the peer that would reach the network, a device or beyond the chosen folder are never
// searched; a name's control bytes show as '?' in the question.
TEST(ConflictCheck, PeerPathsReachNothing)
{
    struct { const char *list, *temp, *name; std::vector<std::string> searched; } const rows[] = {
        {"C:\\l", "T:\\a", "a", {"T:\\a", "F:\\a"}}, {"\\\\srv\\s\\l", "T:\\a", "a", {"F:\\a"}},
        {"C:\\l", "\\\\.\\COM1", "a", {"F:\\a"}}, {"C:\\l", "T:\\a", "C:\\a", {"T:\\a"}},
        {"C:\\l", "T:\\a", "s\\..\\..\\a", {"T:\\a"}},
        {"C:\\l", "T:\\a", "s\\..\\a", {"T:\\a", "F:\\s\\..\\a"}}, {"R:\\l", "T:\\a", "a", {"F:\\a"}},
        {"C:\\l", "R:\\a", "a", {"F:\\a"}}, {"l", "T:\\a", "a", {"F:\\a"}}, {"C:\\l", "T:a", "a", {"F:\\a"}},
        {"C:\\l", "T:\\d\\NUL:", "a", {"F:\\a"}},
    };
    for (const auto& row : rows)
    {
        CFakeConflictDesk desk;
        desk.m_tempFile = row.temp;
        BOOL pending = TRUE;
        DownloadRequest request;
        request.listFilePath = row.list;
        request.entries = {{row.name, "k"}};
        CheckExistingFiles(desk, pending, nullptr, "F:", request, nullptr);
        EXPECT_EQ(desk.m_searched, row.searched) << row.list << " " << row.temp << " " << row.name;
    }
    CFakeConflictDesk desk;
    desk.m_files = {{"T:\\a", kRw}};
    BOOL pending = TRUE;
    DownloadRequest request;
    request.listFilePath = "C:\\l";
    request.entries = {{"a\n[Yes]", "k"}};
    CheckExistingFiles(desk, pending, nullptr, "F:", request, nullptr);
    ASSERT_EQ(desk.m_texts.size(), 1u);
    EXPECT_EQ(desk.m_texts[0], "\ta?[Yes]\n");
}

// Read-only is Unix permission bits under Wine as root; a pattern would match any file, so names none.
TEST(SystemConflictDesk, FindFileAndCombinePath)
{
    testfiles::CTempFolder folder;
    ASSERT_TRUE(testfiles::WriteBytes(folder.File("rw.txt"), "") &&
                testfiles::WriteBytes(folder.File("ro.txt"), ""));
    ASSERT_TRUE(::SetFileAttributesA(folder.File("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::CreateDirectoryA(folder.File("sub").c_str(), nullptr));
    CSystemConflictDesk desk;
    const std::pair<const char*, FoundFile> found[] = {
        {"rw.txt", kRw},    {"ro.txt", kRo},  {"sub", kRw},     {"RW.TXT", kRw},
        {"missing", kNone}, {"sub\\", kNone}, {"*.txt", kNone}, {"r?.txt", kNone}, {"rw<txt", kNone},
        {"rw>txt", kNone},  {"rw\".txt", kNone},
    };
    for (const auto& [name, result] : found)
        EXPECT_EQ(desk.FindFile(folder.File(name)), result) << name;
    EXPECT_FALSE(desk.IsOnRemoteDrive(folder.File("rw.txt"))); // a Wine drive of the test machine
    EXPECT_EQ(desk.CombinePath("C:\\" + std::string(250, 'f'), "12345").size(), 259u);
    EXPECT_EQ(desk.CombinePath("C:\\" + std::string(250, 'f'), "123456"), ""); // none beyond 259 characters
}
} // namespace
