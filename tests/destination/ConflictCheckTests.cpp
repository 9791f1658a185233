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

// Every entry's temporary file is recorded as T:\a; message boxes are answered as scripted, then OK.
class CFakeConflictDesk : public IConflictDesk
{
  public:
    std::string RecordedTempFile(const std::string&, const std::string&) override
    {
        m_bListRead = true;
        return "T:\\a";
    }
    std::string CombinePath(const std::string& folder, const std::string& name) override
    {
        return folder + "\\" + name;
    }
    FoundFile FindFile(const std::string& path) override { return m_files[path]; }
    std::string LoadText(UINT) override { return ""; }
    int ShowMessage(HWND, const std::string&, const std::string&, UINT style) override
    {
        m_styles.push_back(style);
        return m_styles.size() <= m_answers.size() ? m_answers[m_styles.size() - 1] : IDOK;
    }

    std::map<std::string, FoundFile> m_files;
    std::vector<int> m_answers;
    std::vector<UINT> m_styles;
    bool m_bListRead = false;
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
        request.entries = {{"a", "k"}};
        EXPECT_EQ(CheckExistingFiles(desk, pending, nullptr, "F:", request, &resume), row.result) << row.name;
        EXPECT_EQ(pending, row.pendingAfter) << row.name;
        EXPECT_EQ(resume, row.resumeAfter) << row.name;
        EXPECT_EQ(desk.m_styles, row.styles) << row.name;
        EXPECT_EQ(desk.m_bListRead, row.pendingBefore == TRUE) << row.name;
    }
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
        {"missing", kNone}, {"sub\\", kNone}, {"*.txt", kNone}, {"r?.txt", kNone},
    };
    for (const auto& [name, result] : found)
        EXPECT_EQ(desk.FindFile(folder.File(name)), result) << name;
    EXPECT_EQ(desk.CombinePath("C:\\" + std::string(250, 'f'), "12345").size(), 259u);
    EXPECT_EQ(desk.CombinePath("C:\\" + std::string(250, 'f'), "123456"), ""); // none beyond 259 characters
}
} // namespace
