// A typical download from start to end, as a peer and its user go through it: start with QuitEvent
// in place, attach, one request of three contents (one partly fetched before, one already in the
// chosen folder), the user's answers, one command 3 per fetched file, and the end by QuitEvent.
// Run twice: in the default locale, and under ja_JP (code page 932) with Japanese texts and names
// whose double-byte characters end in the byte 0x5C, in the work folder (the temporary folder of a
// Windows XP system), the chosen folder, the content list and every file.
#include "peer/Protocol.h"
#include "peerkit/ContentListWriter.h"
#include "peerkit/FinishRequest.h"
#include "resources/resource.h"
#include "tests/e2e/support/DialogPeer.h"
#include "tests/e2e/support/E2eSupport.h"
#include "tests/e2e/support/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{
using e2e::LoadedText;

const std::string kHyou = "\x95\x5c"; // 表
const std::string kSo = "\x83\x5c";   // ソ

struct Content
{
    std::string fileName;
    std::string key;
    std::string fetched; // where the peer fetches it
    std::string bytes;
};

// Names and texts of one locale's run.
struct Scenario
{
    bool japanese = false;
    std::string caption;
    std::string folder;
    std::string workFolder; // empty: where the assistant looks on this system
    std::vector<Content> contents;
};

Scenario MakeScenario()
{
    Scenario s;
    s.japanese = ::GetACP() == 932;
    if (!s.japanese)
    {
        s.caption = "Typical";
        s.folder = "P:\\Typical";
        s.contents = {{"report.pdf", "content-1", "report.part", "report: first half, second half"},
                      {"notes.txt", "content-2", "notes.tmp", "new notes"},
                      {"setup.exe", "content-3", "setup.exe", "MZ setup"}};
        return s;
    }
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    s.caption = kHyou + kSo + " Typical";
    s.folder = "P:\\" + kHyou + kSo;
    s.workFolder = std::string(temp) + "\x83\x5c\x83\x74\x83\x67" + kHyou + "\\"; // ソフト表
    s.contents = {{kHyou + ".pdf", "content-" + kHyou, kHyou + "1.part", "report: first half, second half"},
                  {"\x83\x5c\x83\x74\x83\x67" + kHyou + ".txt", "content-2", kSo + "2.tmp", "new notes"},
                  {kHyou + kSo + ".exe", "content-3", kHyou + kSo + ".exe", "MZ setup"}};
    return s;
}

std::string Line(const std::string& name)
{
    return "\t" + name + "\n";
}

// The Windows XP override and the temporary folder that the peer and the assistant both take from
// TMP and TEMP, for the Japanese run; undone when the test ends.
class CWorkFolderScope
{
  public:
    explicit CWorkFolderScope(const std::string& folder)
    {
        if (folder.empty())
            return;
        m_xp = std::make_unique<e2e::CXpModeScope>();
        m_folder = folder.substr(0, folder.size() - 1);
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
        for (const char* name : {"TMP", "TEMP"})
        {
            char old[MAX_PATH] = {};
            ::GetEnvironmentVariableA(name, old, MAX_PATH);
            m_saved.emplace_back(name, old);
            ::SetEnvironmentVariableA(name, m_folder.c_str());
        }
    }
    ~CWorkFolderScope()
    {
        for (const auto& saved : m_saved)
            ::SetEnvironmentVariableA(saved.first.c_str(), saved.second.c_str());
        if (!m_folder.empty())
            e2e::RemoveTree(m_folder);
    }
    CWorkFolderScope(const CWorkFolderScope&) = delete;
    CWorkFolderScope& operator=(const CWorkFolderScope&) = delete;

  private:
    std::unique_ptr<e2e::CXpModeScope> m_xp;
    std::string m_folder;
    std::vector<std::pair<std::string, std::string>> m_saved;
};

// The chosen folder, created empty, and the first download ever: no folder is remembered, so the
// dialog opens on the desktop (Wine may fail to preselect a remembered sub-folder, and the dialog
// then ignores the folder the user selects).
class CFolderScope
{
  public:
    explicit CFolderScope(std::string folder) : m_folder(std::move(folder))
    {
        Clean();
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    ~CFolderScope() { Clean(); }
    CFolderScope(const CFolderScope&) = delete;
    CFolderScope& operator=(const CFolderScope&) = delete;

  private:
    void Clean()
    {
        e2e::RemoveTree(m_folder);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brisel Co.,Ltd.");
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Brisel Co.,Ltd.");
    }

    std::string m_folder;
};

TEST(TypicalDownload, FromStartToEnd)
{
    const Scenario s = MakeScenario();
    const UINT codePage = ::GetACP();
    if (const char* expected = std::getenv("E2E_CODE_PAGE"))
    {
        ASSERT_EQ(codePage, static_cast<UINT>(std::atoi(expected)))
            << "run_cp932.sh sets up the ja_JP locale";
    }
    ASSERT_EQ(LoadedText(IDS_EXISTING_IN_TEMP),
              e2e::TableText(IDS_EXISTING_IN_TEMP, s.japanese ? e2e::kJapanese : e2e::kEnglish, codePage));
    CWorkFolderScope workScope(s.workFolder);
    CFolderScope folderScope(s.folder);
    ASSERT_TRUE(e2e::FileExists(s.folder)) << "is P: mapped?";
    const Content& resumed = s.contents[0];
    const Content& existing = s.contents[1];

    e2e::CDialogPeer peer(s.japanese ? peerkit::WorkFolderKind::OrdinaryTemp
                                     : peerkit::WorkFolderKind::Automatic);
    peerkit::CPeerSession& session = peer.Session();
    const std::string work = session.WorkFolder();
    if (s.japanese)
    {
        ASSERT_EQ(work, s.workFolder);
    }
    // An earlier download of the first content was interrupted; the second lies in the folder.
    const std::string half = resumed.bytes.substr(0, 14);
    ASSERT_TRUE(e2e::WriteBytes(work + resumed.fetched, half));
    const std::string list = work + (s.japanese ? kHyou + "list.csv" : "contents.csv");
    peerkit::CContentListWriter writer(list);
    writer.SetRecord(resumed.key, ContentRecord{work + resumed.fetched, "", 0});
    ASSERT_TRUE(writer.Commit());
    ASSERT_TRUE(e2e::WriteBytes(s.folder + "\\" + existing.fileName, "old notes"));

    HANDLE quit = ::OpenEventA(SYNCHRONIZE, FALSE, protocol::kQuitEventName);
    EXPECT_TRUE(quit) << "QuitEvent exists before the assistant starts";
    ::CloseHandle(quit);
    ASSERT_TRUE(peer.Start());
    EXPECT_LT(session.SecondsSinceLaunch(), 5.0);
    std::printf("attached %.2f s after the start\n", session.SecondsSinceLaunch());

    peerkit::CDownloadRequestBuilder request;
    request.SetCaption(s.caption);
    request.SetListFilePath(list);
    for (const Content& content : s.contents)
        request.AddEntry(content.fileName, content.key);
    ASSERT_TRUE(peer.Send(request));
    ASSERT_TRUE(peer.NextIsFolderDialog());
    peer.Choose(s.folder);
    ASSERT_TRUE(peer.NextIsMessageBox());
    EXPECT_TRUE(e2e::IsMessageBox(peer.Box(),
                                  LoadedText(IDS_EXISTING_IN_TEMP) + Line(resumed.fileName) +
                                      LoadedText(IDS_ASK_RESUME) + LoadedText(IDS_RESUME_CHOICES),
                                  s.caption, session.PeerWindow(), {IDYES, IDNO}, IDYES));
    peer.Answer(IDYES);
    ASSERT_TRUE(peer.NextIsMessageBox());
    EXPECT_TRUE(e2e::IsMessageBox(peer.Box(),
                                  LoadedText(IDS_EXISTING_IN_FOLDER) + Line(existing.fileName) +
                                      LoadedText(IDS_ASK_OVERWRITE) + LoadedText(IDS_OVERWRITE_CHOICES),
                                  s.caption, session.PeerWindow(), {IDYES, IDNO}, IDNO));
    peer.Answer(IDYES);
    ASSERT_TRUE(peer.ExpectAccepted(s.folder, 1));

    // Fetching: the partly fetched file is completed where it lies, the others are fetched anew.
    ASSERT_TRUE(e2e::WriteBytes(work + resumed.fetched, resumed.bytes));
    for (const Content& content : s.contents)
    {
        if (&content != &resumed)
        {
            ASSERT_TRUE(e2e::WriteBytes(work + content.fetched, content.bytes));
        }
        ASSERT_TRUE(peerkit::SendFinishRequest(session,
                                               {work + content.fetched, s.folder + "\\" + content.fileName}));
        std::optional<peerkit::Reply> reply = session.WaitForReply(10000);
        ASSERT_TRUE(reply);
        EXPECT_EQ(peerkit::FinishResultOf(*reply), 0u) << content.fileName;
    }
    std::vector<std::string> expected;
    for (const Content& content : s.contents)
    {
        expected.push_back(content.fileName);
        EXPECT_EQ(e2e::ReadBytes(s.folder + "\\" + content.fileName), content.bytes) << content.fileName;
        EXPECT_FALSE(e2e::FileExists(work + content.fetched)) << content.fetched;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(e2e::NamesIn(s.folder), expected);

    auto signalled = std::chrono::steady_clock::now();
    session.SignalQuit();
    EXPECT_EQ(session.WaitForExit(10000), 0u);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
    // The watchdog looks once a second and the next idle tick closes the frame: about two seconds.
    EXPECT_LT(seconds, 3.0);
    std::printf("the assistant ended %.2f s after QuitEvent was signalled\n", seconds);
    EXPECT_TRUE(session.TakeReplies().empty());
}
} // namespace
