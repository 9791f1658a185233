#include "destination/ConflictCheck.h"
#include "destination/SystemConflictDesk.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>

namespace
{
struct ShownMessage
{
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

// Texts are "<id>" so that the order of the parts can be read from the message.
class CFakeConflictDesk : public IConflictDesk
{
  public:
    std::string RecordedTempFile(const std::string& listPath, const std::string& key) override
    {
        m_lookups.push_back({listPath, key});
        auto found = m_records.find(key);
        return found == m_records.end() ? std::string() : found->second;
    }
    std::string CombinePath(const std::string& folder, const std::string& name) override
    {
        return m_uncombinable.count(name) ? std::string() : folder + "\\" + name;
    }
    FoundFile FindFile(const std::string& path) override
    {
        m_searches.push_back(path);
        auto found = m_files.find(path);
        return found == m_files.end() ? FoundFile::None : found->second;
    }
    std::string LoadText(UINT id) override { return "<" + std::to_string(id) + ">"; }
    int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT style) override
    {
        m_shown.push_back({owner, text, caption, style});
        int answer = m_answers.empty() ? IDOK : m_answers.front();
        if (!m_answers.empty())
            m_answers.pop_front();
        return answer;
    }

    std::map<std::string, std::string> m_records;
    std::map<std::string, FoundFile> m_files;
    std::set<std::string> m_uncombinable;
    std::deque<int> m_answers;
    std::vector<std::pair<std::string, std::string>> m_lookups;
    std::vector<std::string> m_searches;
    std::vector<ShownMessage> m_shown;
};

const HWND kOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
constexpr UINT kResume = MB_ICONINFORMATION | MB_YESNO;
constexpr UINT kReadOnly = MB_ICONINFORMATION;
constexpr UINT kOverwrite = MB_ICONINFORMATION | MB_YESNO | MB_DEFBUTTON2;

DownloadRequest Request(std::initializer_list<ContentEntry> entries)
{
    DownloadRequest request;
    request.caption = "Cap";
    request.listFilePath = "L:\\list.csv";
    request.entries = entries;
    request.entryCount = static_cast<std::int32_t>(request.entries.size());
    return request;
}

class ConflictCheck : public ::testing::Test
{
  protected:
    int Check(const DownloadRequest& request)
    {
        return CheckExistingFiles(m_desk, m_bPending, kOwner, "F:", request, &m_dwResume);
    }
    std::vector<UINT> Styles() const
    {
        std::vector<UINT> styles;
        for (const ShownMessage& shown : m_desk.m_shown)
            styles.push_back(shown.style);
        return styles;
    }

    CFakeConflictDesk m_desk;
    BOOL m_bPending = TRUE;
    std::uint32_t m_dwResume = 7;
};

TEST_F(ConflictCheck, NoEntriesAcceptAtOnceAndArmTheTempCheck)
{
    for (std::int32_t count : {0, -3})
    {
        DownloadRequest request = Request({});
        request.entryCount = count;
        m_bPending = FALSE;
        m_dwResume = 1;
        EXPECT_EQ(Check(request), 0);
        EXPECT_TRUE(m_bPending);
        EXPECT_EQ(m_dwResume, 1u);
        EXPECT_EQ(Check(request), 0);
        EXPECT_EQ(m_dwResume, 0u);
    }
    EXPECT_TRUE(m_desk.m_shown.empty());
    EXPECT_TRUE(m_desk.m_lookups.empty());
}

TEST_F(ConflictCheck, ResumeQuestionListsTheFileNamesWhoseTempFilesExist)
{
    m_desk.m_records = {{"ka", "T:\\a.part"}, {"kb", "T:\\b.part"}, {"kd", "T:\\d.part"}, {"ke", ""}};
    m_desk.m_files = {{"T:\\a.part", FoundFile::Writable}, {"T:\\d.part", FoundFile::ReadOnly}};
    m_desk.m_answers = {IDYES};
    DownloadRequest request =
        Request({{"A.bin", "ka"}, {"B.bin", "kb"}, {"C.bin", "kc"}, {"D %s.bin", "kd"}, {"E.bin", "ke"}});

    EXPECT_EQ(Check(request), 0);
    ASSERT_EQ(m_desk.m_shown.size(), 1u);
    EXPECT_EQ(m_desk.m_shown[0].text, "<10>\tA.bin\n\tD %s.bin\n<6><8>");
    EXPECT_EQ(m_desk.m_shown[0].caption, "Cap");
    EXPECT_EQ(m_desk.m_shown[0].owner, kOwner);
    EXPECT_EQ(m_desk.m_shown[0].style, kResume);
    EXPECT_EQ(m_dwResume, 1u);
    // The list is looked up afresh for every entry; an empty text is never searched for.
    std::vector<std::pair<std::string, std::string>> lookups = {{"L:\\list.csv", "ka"},
                                                                {"L:\\list.csv", "kb"},
                                                                {"L:\\list.csv", "kc"},
                                                                {"L:\\list.csv", "kd"},
                                                                {"L:\\list.csv", "ke"}};
    EXPECT_EQ(m_desk.m_lookups, lookups);
    std::vector<std::string> searches = {"T:\\a.part", "T:\\b.part", "T:\\d.part",   "F:\\A.bin",
                                         "F:\\B.bin",  "F:\\C.bin",  "F:\\D %s.bin", "F:\\E.bin"};
    EXPECT_EQ(m_desk.m_searches, searches);
}

TEST_F(ConflictCheck, ReadOnlyFilesAloneAreListedAndTheUserChoosesAgain)
{
    m_desk.m_files = {{"F:\\ro.txt", FoundFile::ReadOnly},
                      {"F:\\rw.txt", FoundFile::Writable},
                      {"F:\\ro folder", FoundFile::ReadOnly}};
    DownloadRequest request =
        Request({{"ro.txt", "k1"}, {"rw.txt", "k2"}, {"new.txt", "k3"}, {"ro folder", "k4"}});

    EXPECT_EQ(Check(request), 1);
    ASSERT_EQ(m_desk.m_shown.size(), 1u);
    EXPECT_EQ(m_desk.m_shown[0].text, "<3>\tro.txt\n\tro folder\n<5>");
    EXPECT_EQ(m_desk.m_shown[0].style, kReadOnly);
    EXPECT_EQ(m_desk.m_shown[0].owner, kOwner);
    EXPECT_EQ(m_desk.m_shown[0].caption, "Cap");
}

TEST_F(ConflictCheck, OverwriteQuestionListsEveryExistingNameWithNoAsDefault)
{
    m_desk.m_files = {{"F:\\a", FoundFile::Writable}, {"F:\\c", FoundFile::Writable}};
    m_desk.m_answers = {IDNO, IDYES};
    DownloadRequest request = Request({{"a", "k1"}, {"b", "k2"}, {"c", "k3"}});

    EXPECT_EQ(Check(request), 1);
    EXPECT_EQ(Check(request), 0);
    ASSERT_EQ(m_desk.m_shown.size(), 2u);
    EXPECT_EQ(m_desk.m_shown[0].text, "<3>\ta\n\tc\n<4><7>");
    EXPECT_EQ(m_desk.m_shown[1].text, m_desk.m_shown[0].text);
    EXPECT_EQ(Styles(), (std::vector<UINT>{kOverwrite, kOverwrite}));
}

TEST_F(ConflictCheck, EntriesThatCannotBeJoinedWithTheFolderAreSkipped)
{
    m_desk.m_uncombinable = {"too long"};
    m_desk.m_files = {{"F:\\b", FoundFile::Writable}};
    m_desk.m_answers = {IDYES};
    EXPECT_EQ(Check(Request({{"too long", "k1"}, {"b", "k2"}})), 0);
    EXPECT_EQ(m_desk.m_searches, std::vector<std::string>{"F:\\b"});
    ASSERT_EQ(m_desk.m_shown.size(), 1u);
    EXPECT_EQ(m_desk.m_shown[0].text, "<3>\tb\n<4><7>");
}

TEST_F(ConflictCheck, NullResumeFlagIsNotWritten)
{
    m_desk.m_records = {{"k", "T:\\a"}};
    m_desk.m_files = {{"T:\\a", FoundFile::Writable}};
    m_desk.m_answers = {IDYES};
    EXPECT_EQ(CheckExistingFiles(m_desk, m_bPending, kOwner, "F:", Request({{"a", "k"}}), nullptr), 0);
    EXPECT_EQ(m_desk.m_shown.size(), 1u);
}

// One call from each state: what is asked, what it returns, and the flags afterwards.
struct StateCase
{
    const char* name;
    BOOL pendingBefore;
    bool tempFileExists;
    FoundFile inFolder;
    std::deque<int> answers;
    int result;
    BOOL pendingAfter;
    std::uint32_t resumeAfter; // the flag starts at 7 to show whether it was touched
    std::vector<UINT> styles;
};

TEST_F(ConflictCheck, StateTable)
{
    const FoundFile none = FoundFile::None;
    const FoundFile rw = FoundFile::Writable;
    const FoundFile ro = FoundFile::ReadOnly;
    const std::vector<StateCase> cases = {
        {"pending, nothing anywhere", TRUE, false, none, {}, 0, TRUE, 0, {}},
        {"pending, resume Yes, clear", TRUE, true, none, {IDYES}, 0, TRUE, 1, {kResume}},
        {"pending, resume No, clear", TRUE, true, none, {IDNO}, 0, TRUE, 0, {kResume}},
        {"pending, resume dismissed", TRUE, true, none, {IDCANCEL}, 0, TRUE, 0, {kResume}},
        {"pending, resume Yes, read-only", TRUE, true, ro, {IDYES, IDOK}, 1, FALSE, 1, {kResume, kReadOnly}},
        {"pending, resume No, then No", TRUE, true, rw, {IDNO, IDNO}, 1, FALSE, 0, {kResume, kOverwrite}},
        {"pending, resume Yes, then Yes", TRUE, true, rw, {IDYES, IDYES}, 0, TRUE, 1, {kResume, kOverwrite}},
        {"pending, no temp file, read-only", TRUE, false, ro, {IDOK}, 1, TRUE, 0, {kReadOnly}},
        {"pending, no temp file, overwrite No", TRUE, false, rw, {IDNO}, 1, TRUE, 0, {kOverwrite}},
        {"asked before, read-only", FALSE, true, ro, {IDOK}, 1, FALSE, 7, {kReadOnly}},
        {"asked before, overwrite No", FALSE, true, rw, {IDNO}, 1, FALSE, 7, {kOverwrite}},
        {"asked before, overwrite Yes", FALSE, true, rw, {IDYES}, 0, TRUE, 7, {kOverwrite}},
        {"asked before, overwrite dismissed", FALSE, true, rw, {IDCANCEL}, 0, TRUE, 7, {kOverwrite}},
        {"asked before, folder clear", FALSE, true, none, {}, 0, TRUE, 7, {}},
    };
    for (const StateCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CFakeConflictDesk desk;
        desk.m_records = {{"k", "T:\\a.part"}};
        if (c.tempFileExists)
            desk.m_files["T:\\a.part"] = FoundFile::Writable;
        if (c.inFolder != FoundFile::None)
            desk.m_files["F:\\a.bin"] = c.inFolder;
        desk.m_answers = c.answers;
        BOOL pending = c.pendingBefore;
        std::uint32_t resume = 7;
        EXPECT_EQ(CheckExistingFiles(desk, pending, kOwner, "F:", Request({{"a.bin", "k"}}), &resume),
                  c.result);
        EXPECT_EQ(pending, c.pendingAfter);
        EXPECT_EQ(resume, c.resumeAfter);
        std::vector<UINT> styles;
        for (const ShownMessage& shown : desk.m_shown)
            styles.push_back(shown.style);
        EXPECT_EQ(styles, c.styles);
        EXPECT_EQ(desk.m_lookups.empty(), !c.pendingBefore);
    }
}

// Within one request: after the resume question the user is sent to choose again twice; neither
// the question nor the reset of ResumeFlag comes back until a folder is accepted.
TEST_F(ConflictCheck, ResumeAnswerHoldsUntilAFolderIsAccepted)
{
    m_desk.m_records = {{"k", "T:\\a.part"}};
    m_desk.m_files = {{"T:\\a.part", FoundFile::Writable}, {"F:\\a.bin", FoundFile::ReadOnly}};
    m_desk.m_answers = {IDYES, IDOK, IDOK};
    DownloadRequest request = Request({{"a.bin", "k"}});
    EXPECT_EQ(Check(request), 1);
    EXPECT_EQ(Check(request), 1);
    m_desk.m_files.erase("F:\\a.bin");
    EXPECT_EQ(Check(request), 0);
    EXPECT_EQ(m_dwResume, 1u);
    EXPECT_EQ(Styles(), (std::vector<UINT>{kResume, kReadOnly, kReadOnly}));
    EXPECT_TRUE(m_bPending);

    m_desk.m_answers = {IDNO};
    EXPECT_EQ(Check(request), 0);
    EXPECT_EQ(m_dwResume, 0u);
    EXPECT_EQ(m_desk.m_shown.size(), 4u);
}

TEST(ConflictMessage, RealTextsStandAroundTheNamesWithBlankLines)
{
    CSystemConflictDesk desk;
    EXPECT_EQ(
        ComposeConflictMessage(desk, IDS_EXISTING_IN_FOLDER, {"a.bin", "b c.txt"},
                               {IDS_ASK_OVERWRITE, IDS_OVERWRITE_CHOICES}),
        "A file with this filename already exists in the selected folder. Files with matching filenames "
        "are listed below. \n\n\ta.bin\n\tb c.txt\n\nOverwrite these files?\n\n[Yes]: The existing file "
        "will be overwritten. \n[No]: Select another target directory.");
    EXPECT_EQ(
        ComposeConflictMessage(desk, IDS_EXISTING_IN_TEMP, {"a.bin"}, {IDS_ASK_RESUME, IDS_RESUME_CHOICES}),
        "A file with this filename already exists in the TEMP folder. Files with matching filenames are "
        "listed below. \n\n\ta.bin\n\nIf these files were created when the previous download was "
        "interrupted, you can resume the download from that point. \nResume the download from the "
        "previous point?\n\n[Yes]: The download will be resumed. \n[No]: Existing files will be "
        "discarded and the download will restart from the beginning.");
    EXPECT_EQ(
        ComposeConflictMessage(desk, IDS_EXISTING_IN_FOLDER, {"r.txt"}, {IDS_READ_ONLY_FILES}),
        "A file with this filename already exists in the selected folder. Files with matching filenames "
        "are listed below. \n\n\tr.txt\n\nCould not process your request. These files are read-only. "
        "Either change the target directory, or remove the read-only attribute.");
}
} // namespace
