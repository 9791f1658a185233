// A typical download from start to end, as a peer and its user go through it: QuitEvent in place
// before the start, attach, one request of three contents (one partly fetched before, one already
// in the chosen folder), the user's answers, one command 3 per fetched file, the end by QuitEvent.
// Run twice: in the C locale, and under ja_JP (code page 932) with Japanese texts and names whose
// double-byte characters end in the byte 0x5C, in the work folder (the temporary folder of a
// Windows XP system), the chosen folder, the content list and every file.
#include "peer/Protocol.h"
#include "peerkit/ContentListWriter.h"
#include "peerkit/FinishRequest.h"
#include "peerkit/MessagePump.h"
#include "tests/e2e/support/DialogPeer.h"

#include <algorithm>
#include <cstdlib>

namespace
{
const std::string kHyou = "\x95\x5c";                             // 表
const std::string kSo = "\x83\x5c";                               // ソ
const std::string kSoftHyou = "\x83\x5c\x83\x74\x83\x67" + kHyou; // ソフト表

struct Content
{
    std::string fileName, key, fetched, bytes; // fetched: its name in the work folder
};

// Partly fetched before, in the folder already, new.
std::vector<Content> Contents(bool japanese)
{
    if (japanese)
        return {{kHyou + ".pdf", "content-" + kHyou, kHyou + "1.part", "report: two halves"},
                {kSoftHyou + ".txt", "content-2", kSo + "2.tmp", "new notes"},
                {kHyou + kSo + ".exe", "content-3", kHyou + kSo + ".exe", "MZ setup"}};
    return {{"report.pdf", "content-1", "report.part", "report: two halves"},
            {"notes.txt", "content-2", "notes.tmp", "new notes"},
            {"setup.exe", "content-3", "setup.exe", "MZ setup"}};
}

// For the Japanese run: Windows XP for the assistant, and a temporary folder named in double-byte
// characters that the peer and the assistant both take from TMP.
class CXpTempFolderScope
{
  public:
    CXpTempFolderScope()
    {
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
        ::SetEnvironmentVariableA("TMP", m_folder.c_str());
    }
    ~CXpTempFolderScope()
    {
        ::SetEnvironmentVariableA("TMP", m_saved.empty() ? nullptr : m_saved.c_str());
        testfiles::RemoveTree(m_folder);
    }

  private:
    e2e::CXpModeScope m_xp;
    std::string m_saved = std::getenv("TMP") ? std::getenv("TMP") : "";
    std::string m_folder = peerkit::CPeerSession::FindWorkFolder(peerkit::WorkFolderKind::OrdinaryTemp) +
                           kSoftHyou + std::to_string(::GetCurrentProcessId());
};

TEST(TypicalDownload, FromStartToEnd)
{
    const char* codePage = std::getenv("E2E_CODE_PAGE");
    ASSERT_TRUE(codePage && ::GetACP() == static_cast<UINT>(std::atoi(codePage)))
        << "the locale is not set up";
    const bool japanese = ::GetACP() == 932;
    const std::string caption = japanese ? kHyou + kSo + " Typical" : "Typical";
    const std::string folder = japanese ? "P:\\" + kHyou + kSo : "P:\\Typical";
    const std::string list = japanese ? kHyou + "list.csv" : "contents.csv";
    const std::vector<Content> contents = Contents(japanese);
    std::optional<CXpTempFolderScope> xpTemp;
    if (japanese)
        xpTemp.emplace();
    testfiles::CRegistryScope settings(
        e2e::kCompanyKey); // the first download: the dialog opens on the desktop
    testfiles::RemoveTree(folder);
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr)) << "is P: mapped?";
    std::unique_ptr<const std::string, void (*)(const std::string*)> removeFolder(
        &folder, [](const std::string* path) { testfiles::RemoveTree(*path); });

    peerkit::SessionOptions options;
    options.workFolder =
        japanese ? peerkit::WorkFolderKind::OrdinaryTemp : peerkit::WorkFolderKind::Automatic;
    e2e::CDialogPeer peer(options);
    peerkit::CPeerSession& session = peer.Session();
    const std::string work = session.WorkFolder();
    ASSERT_TRUE(!japanese || work.find(kSoftHyou) != std::string::npos) << work;
    // An earlier download of the first content was interrupted; the second lies in the folder.
    ASSERT_TRUE(testfiles::WriteBytes(work + contents[0].fetched, "report: "));
    peerkit::CContentListWriter writer(work + list);
    writer.SetRecord(contents[0].key, ContentRecord{work + contents[0].fetched, "", 0});
    ASSERT_TRUE(writer.Commit());
    ASSERT_TRUE(testfiles::WriteBytes(folder + "\\" + contents[1].fileName, "old notes"));

    ASSERT_TRUE(CHandle(::OpenEventA(SYNCHRONIZE, FALSE, protocol::kQuitEventName))) << "no QuitEvent";
    ASSERT_TRUE(peer.Start());
    e2e::Entries entries;
    for (const Content& content : contents)
        entries.emplace_back(content.fileName, content.key);
    ASSERT_TRUE(peer.Request(caption, work + list, entries));
    {
        // The peer's writer holds the list's lock for a while: the assistant, naming the lock the
        // same way (its path holds a trail byte 0x5C in the Japanese run), asks nothing meanwhile.
        const peerkit::CContentListHold held = writer.Lock();
        ASSERT_TRUE(held);
        EXPECT_TRUE(peer.Choose(folder));
        // Once the dialog has gone, the assistant reads the list: a question within the next second
        // would be one asked without the lock.
        const peerkit::CDialogDriver driver(session.ProcessId());
        EXPECT_TRUE(peerkit::PumpMessagesUntil(e2e::kWaitMs, nullptr, [&] { return !driver.FindFolderDialog(); }, 20));
        EXPECT_FALSE(driver.WaitForMessageBox(1000)) << "the lock was ignored";
    }
    EXPECT_TRUE(peer.Answer({contents[0].fileName}, IDYES));
    EXPECT_TRUE(peer.Answer({contents[1].fileName}, IDYES));
    ASSERT_TRUE(peer.Accepted(folder, 1));

    // The partly fetched file is completed where it lies, the others are fetched anew.
    std::vector<std::string> placed;
    for (const Content& content : contents)
    {
        ASSERT_TRUE(testfiles::WriteBytes(work + content.fetched, content.bytes));
        ASSERT_TRUE(
            peerkit::SendFinishRequest(session, {work + content.fetched, folder + "\\" + content.fileName}));
        std::optional<peerkit::Reply> reply = session.WaitForReply(e2e::kWaitMs);
        EXPECT_EQ(reply ? peerkit::FinishResultOf(*reply) : std::nullopt, 0u) << content.fileName;
        EXPECT_EQ(testfiles::ReadBytes(folder + "\\" + content.fileName), content.bytes) << content.fileName;
        EXPECT_FALSE(testfiles::FileExists(work + content.fetched)) << content.fetched;
        placed.push_back(content.fileName);
    }
    std::sort(placed.begin(), placed.end());
    EXPECT_EQ(testfiles::NamesIn(folder), placed);
    session.SignalQuit();
    EXPECT_EQ(session.WaitForExit(e2e::kWaitMs), 0u);
    EXPECT_TRUE(session.TakeReplies().empty());
}
} // namespace
