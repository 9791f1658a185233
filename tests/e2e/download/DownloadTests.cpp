// Command 2 end to end: the real assistant, its real folder dialog and message boxes, the real
// registry of the test prefix. Drives P: and Q: are writable private folders, R: refuses new files.
#include "peerkit/DownloadRequestBuilder.h"
#include "tests/e2e/download/DownloadSession.h"
#include "tests/e2e/support/E2eSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace
{
using e2e::CDownloadSession;
using peerkit::CDialogDriver;

constexpr const char* kValueName = "DownloadedFilesPath";
constexpr const char* kCompanyKey = "Software\\Brisel Co.,Ltd.";
constexpr const char* kSettingsKey = "Software\\Brisel Co.,Ltd.\\Kavo Downloader";
constexpr const char* kLowRootKey = "Software\\DaTestLowRoot";
constexpr const char* kLowRootSettingsKey = "Software\\DaTestLowRoot\\Brisel Co.,Ltd.\\Kavo Downloader";
constexpr const char* kIeframeCounterKey = "Software\\DaTestIeframe";

// The settings of earlier runs would change what the dialog preselects.
class CCleanSettings
{
  public:
    CCleanSettings() { Clean(); }
    ~CCleanSettings() { Clean(); }
    CCleanSettings(const CCleanSettings&) = delete;
    CCleanSettings& operator=(const CCleanSettings&) = delete;

  private:
    static void Clean()
    {
        e2e::DeleteKeyTree(kCompanyKey);
        e2e::DeleteKeyTree(kLowRootKey);
        e2e::DeleteKeyTree(kIeframeCounterKey);
    }
};

DWORD IeframeCalls()
{
    HKEY key = nullptr;
    DWORD calls = 0;
    DWORD size = sizeof calls;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kIeframeCounterKey, 0, KEY_READ, &key) == ERROR_SUCCESS)
    {
        ::RegQueryValueExA(key, "Calls", nullptr, nullptr, reinterpret_cast<BYTE*>(&calls), &size);
        ::RegCloseKey(key);
    }
    return calls;
}

// The value is written after reply 3 has gone out, so it is waited for.
bool WaitForValue(const std::string& subkey, const std::vector<BYTE>& expected)
{
    for (int i = 0; i < 250; ++i)
    {
        if (e2e::ReadBinaryValue(subkey, kValueName) == expected)
            return true;
        CDialogDriver::Pump(20);
    }
    return false;
}

std::string LowRootAssistant()
{
    std::string path = peerkit::CPeerSession::DefaultAssistantPath();
    return path.substr(0, path.find_last_of('\\') + 1) + "lowroot\\KavoDownloadAssistant.exe";
}

// First request ever, the stored folder, a stored folder that refuses files, and one that is gone.
void RunSettingsCases(const peerkit::SessionOptions& options, const std::string& valueKey)
{
    const std::vector<BYTE> p = e2e::ParsedItemIdList("P:\\");
    const std::vector<BYTE> q = e2e::ParsedItemIdList("Q:\\");
    const std::vector<BYTE> r = e2e::ParsedItemIdList("R:\\");
    ASSERT_FALSE(p.empty() || q.empty() || r.empty()) << "test drives P:, Q:, R: are mapped by scripts/test";
    CDownloadSession session(options);
    ASSERT_TRUE(session.Start());

    HWND dialog = session.Request("First");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(session.OpensOnDesktop(dialog));
    session.ChooseAndPressOk(dialog, "P:\\");
    EXPECT_TRUE(session.ExpectAccepted("P:\\"));
    EXPECT_TRUE(WaitForValue(valueKey, p));

    dialog = session.Request("Stored");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(session.OpensOn(dialog, "P:\\"));
    session.ChooseAndPressOk(dialog, "Q:\\");
    EXPECT_TRUE(session.ExpectAccepted("Q:\\"));
    // A value of our own written before the assistant's would be overwritten by it.
    ASSERT_TRUE(WaitForValue(valueKey, q));

    ASSERT_TRUE(e2e::WriteBinaryValue(valueKey, kValueName, r));
    dialog = session.Request("Unwritable");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(session.OpensOnDesktop(dialog));
    CDialogDriver::PressCancel(dialog);
    HWND box = session.Driver().WaitForMessageBox(e2e::kDialogTimeoutMs);
    ASSERT_TRUE(box);
    CDialogDriver::Answer(box, IDYES);
    EXPECT_TRUE(session.ExpectAbandoned());
    EXPECT_EQ(e2e::ReadBinaryValue(valueKey, kValueName), r);

    e2e::CTempFolder gone("download-gone");
    const std::vector<BYTE> goneList = e2e::ParsedItemIdList(gone.Path());
    ASSERT_FALSE(goneList.empty());
    ASSERT_TRUE(::RemoveDirectoryA(gone.Path().c_str()));
    ASSERT_TRUE(e2e::WriteBinaryValue(valueKey, kValueName, goneList));
    dialog = session.Request("Deleted");
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(session.OpensOnDesktop(dialog));
    session.ChooseAndPressOk(dialog, "P:\\");
    EXPECT_TRUE(session.ExpectAccepted("P:\\"));
    EXPECT_TRUE(WaitForValue(valueKey, p));
}

TEST(DownloadSettings, WithoutWritableRootTheKeyLiesUnderSoftware)
{
    CCleanSettings clean;
    RunSettingsCases(peerkit::SessionOptions(), kSettingsKey);
    EXPECT_FALSE(e2e::KeyExists(kLowRootKey));
}

TEST(DownloadSettings, WithWritableRootTheKeyLiesDirectlyUnderIt)
{
    CCleanSettings clean;
    peerkit::SessionOptions options;
    options.assistantPath = LowRootAssistant();
    RunSettingsCases(options, kLowRootSettingsKey);
    EXPECT_GT(IeframeCalls(), 0u);
    EXPECT_FALSE(e2e::KeyExists(kCompanyKey));
}

TEST(DownloadSettings, WindowsXpNeverAsksForTheRoot)
{
    CCleanSettings clean;
    e2e::CXpModeScope xp;
    peerkit::SessionOptions options;
    options.assistantPath = LowRootAssistant();
    options.workFolder = peerkit::WorkFolderKind::OrdinaryTemp;
    RunSettingsCases(options, kSettingsKey);
    EXPECT_EQ(IeframeCalls(), 0u);
    EXPECT_FALSE(e2e::KeyExists(kLowRootKey));
}

TEST(DownloadRequest, RefusedFolderAndCancelLeadBackToTheDialog)
{
    CCleanSettings clean;
    CDownloadSession session(peerkit::SessionOptions(), true);
    ASSERT_TRUE(session.Start());
    HWND top = session.TopAncestor();

    HWND dialog = session.Request("Again");
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(::IsWindowEnabled(top));
    session.ChooseAndPressOk(dialog, "R:\\");
    HWND box = session.Driver().WaitForMessageBox(e2e::kDialogTimeoutMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(CDialogDriver::MessageText(box), "Specify a writeable path.");
    EXPECT_EQ(CDialogDriver::Caption(box), "Again");
    CDialogDriver::Answer(box, IDOK);
    dialog = session.Driver().WaitForFolderDialog(e2e::kDialogTimeoutMs);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(session.OpensOn(dialog, "R:\\"));
    session.ChooseAndPressOk(dialog, "P:\\");
    EXPECT_TRUE(session.ExpectAccepted("P:\\"));
    EXPECT_TRUE(::IsWindowEnabled(top));

    dialog = session.Request("Twice");
    ASSERT_TRUE(dialog);
    CDialogDriver::PressCancel(dialog);
    box = session.Driver().WaitForMessageBox(e2e::kDialogTimeoutMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(CDialogDriver::MessageText(box), "Close Twice?");
    EXPECT_EQ(CDialogDriver::Caption(box), "Twice");
    CDialogDriver::Answer(box, IDNO);
    dialog = session.Driver().WaitForFolderDialog(e2e::kDialogTimeoutMs);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(::IsWindowEnabled(top));
    CDialogDriver::PressCancel(dialog);
    box = session.Driver().WaitForMessageBox(e2e::kDialogTimeoutMs);
    ASSERT_TRUE(box);
    CDialogDriver::Answer(box, IDYES);
    EXPECT_TRUE(session.ExpectAbandoned());
    EXPECT_TRUE(::IsWindowEnabled(top));

    session.Peer().SignalQuit();
    EXPECT_EQ(session.Peer().WaitForExit(10000), 0u);
    EXPECT_TRUE(session.Peer().TakeReplies().empty());
    EXPECT_EQ(e2e::ReadBinaryValue(kSettingsKey, kValueName), e2e::ParsedItemIdList("P:\\"));
}

TEST(DownloadRequest, QuitWhileTheDialogIsOpenAbandonsAndLeavesTheTopWindowDisabled)
{
    CCleanSettings clean;
    CDownloadSession session(peerkit::SessionOptions(), true);
    ASSERT_TRUE(session.Start());
    HWND dialog = session.Request("Quit");
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(::IsWindowEnabled(session.TopAncestor()));

    session.Peer().SignalQuit();
    EXPECT_TRUE(session.Driver().WaitUntilGone(dialog, 10000));
    EXPECT_TRUE(session.ExpectAbandoned());
    EXPECT_EQ(session.Peer().WaitForExit(10000), 0u);
    EXPECT_TRUE(session.Peer().TakeReplies().empty());
    // A closing question answered by the watchdog would have enabled it again.
    EXPECT_FALSE(::IsWindowEnabled(session.TopAncestor()));
    EXPECT_FALSE(e2e::ReadBinaryValue(kSettingsKey, kValueName));
}

// The watchdog's stop reaches a message box as well: the warning is dismissed, the request
// abandoned at the next stop check, and the assistant ends.
TEST(DownloadRequest, QuitWhileAMessageBoxIsOpenDismissesIt)
{
    CCleanSettings clean;
    CDownloadSession session(peerkit::SessionOptions(), true);
    ASSERT_TRUE(session.Start());
    HWND dialog = session.Request("Box");
    ASSERT_TRUE(dialog);
    session.ChooseAndPressOk(dialog, "R:\\");
    HWND box = session.Driver().WaitForMessageBox(e2e::kDialogTimeoutMs);
    ASSERT_TRUE(box);

    session.Peer().SignalQuit();
    EXPECT_TRUE(session.Driver().WaitUntilGone(box, 10000));
    EXPECT_TRUE(session.ExpectAbandoned());
    EXPECT_EQ(session.Peer().WaitForExit(10000), 0u);
    EXPECT_FALSE(session.Driver().FindFolderDialog());
    EXPECT_FALSE(e2e::ReadBinaryValue(kSettingsKey, kValueName));
}

std::vector<std::uint8_t> OneEntryRequest()
{
    peerkit::CDownloadRequestBuilder builder;
    builder.SetCaption("Bad");
    builder.SetListFilePath("C:\\list.csv");
    builder.AddEntry("a.bin", "key-a");
    return builder.Build();
}

std::vector<std::uint8_t> Spoiled(std::size_t offset, std::size_t length)
{
    std::vector<std::uint8_t> record = OneEntryRequest();
    std::fill_n(record.begin() + static_cast<std::ptrdiff_t>(offset), length, static_cast<std::uint8_t>('x'));
    return record;
}

TEST(DownloadRequest, MalformedRecordsAreIgnoredAndServingGoesOn)
{
    using Builder = peerkit::CDownloadRequestBuilder;
    std::vector<std::pair<const char*, std::vector<std::uint8_t>>> records;
    std::vector<std::uint8_t> record = OneEntryRequest();
    peerkit::PutUInt32(record, 0, 524);
    records.emplace_back("SizeTag 524", record);
    record = OneEntryRequest();
    record.resize(Builder::kHeaderSize - 4);
    records.emplace_back("shorter than the fixed part", record);
    record = OneEntryRequest();
    peerkit::PutUInt32(record, 4, 2);
    records.emplace_back("EntryCount 2 with room for 1", record);
    record = OneEntryRequest();
    peerkit::PutUInt32(record, 4, 0x7FFFFFFF);
    records.emplace_back("EntryCount 0x7FFFFFFF", record);
    records.emplace_back("Caption without NUL", Spoiled(Builder::kCaptionOffset, Builder::kCaptionSize));
    records.emplace_back("ListFilePath without NUL",
                         Spoiled(Builder::kListFilePathOffset, Builder::kListFilePathSize));
    records.emplace_back("FileName without NUL", Spoiled(Builder::kHeaderSize, Builder::kFileNameSize));
    records.emplace_back("ListKey without NUL",
                         Spoiled(Builder::kHeaderSize + Builder::kListKeyOffset, Builder::kListKeySize));

    CDownloadSession session;
    ASSERT_TRUE(session.Start());
    // A record that opened a dialog would keep the assistant busy and the next work file unread.
    for (const auto& [name, bytes] : records)
    {
        ASSERT_TRUE(session.Send(bytes)) << name;
        ASSERT_TRUE(session.Peer().WaitUntilWorkFileGone(e2e::kDialogTimeoutMs)) << name;
    }
    record = OneEntryRequest();
    peerkit::PutUInt32(record, 4, static_cast<std::uint32_t>(-3));
    ASSERT_TRUE(session.Send(record));
    HWND dialog = session.Driver().WaitForFolderDialog(e2e::kDialogTimeoutMs);
    ASSERT_TRUE(dialog);
    session.ChooseAndPressOk(dialog, "P:\\");
    EXPECT_TRUE(session.ExpectAccepted("P:\\"));
}
} // namespace
