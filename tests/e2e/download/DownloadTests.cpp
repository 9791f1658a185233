// Command 2 end to end: the real folder dialog and message boxes, the real registry of the prefix.
// Drives P: and Q: are writable private folders, R: refuses new files (mapped by scripts/test): a
// drive root's item-id list carries no timestamp, so Wine preselects it reliably.
#include "peerkit/ContentListWriter.h"
#include "peerkit/MessagePump.h"
#include "tests/e2e/support/DialogPeer.h"

#include <shlobj.h>

#include <algorithm>

namespace
{
using Bytes = std::vector<BYTE>;
using testfiles::ReadBytes;
using testfiles::WriteBytes;

constexpr const char* kValueName = "DownloadedFilesPath";
constexpr const char* kSettingsKey = "Software\\Brisel Co.,Ltd.\\Kavo Downloader";
constexpr const char* kLowRootSettingsKey = "Software\\DaTestLowRoot\\Brisel Co.,Ltd.\\Kavo Downloader";

Bytes ItemIdList(const std::string& path)
{
    wchar_t wide[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(::SHParseDisplayName(wide, nullptr, &list, 0, nullptr)))
        return {};
    Bytes bytes(reinterpret_cast<const BYTE*>(list), reinterpret_cast<const BYTE*>(list) + ::ILGetSize(list));
    ::CoTaskMemFree(list);
    return bytes;
}

Bytes Stored(const std::string& key)
{
    Bytes value(4096);
    DWORD size = static_cast<DWORD>(value.size());
    LONG read = ::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), kValueName, RRF_RT_REG_BINARY, nullptr,
                               value.data(), &size);
    value.resize(read == ERROR_SUCCESS ? size : 0);
    return value;
}

bool Store(const std::string& key, const Bytes& value)
{
    return ::RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), kValueName, REG_BINARY, value.data(),
                             static_cast<DWORD>(value.size())) == ERROR_SUCCESS;
}

// A folder's last change: a probe file made and deleted in it moves this on.
ULONGLONG LastWrite(const std::string& folder)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ::GetFileAttributesExA(folder.c_str(), GetFileExInfoStandard, &data);
    const FILETIME& time = data.ftLastWriteTime;
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The value is written after reply 3 has gone out, so it is waited for.
bool StoredBecomes(const std::string& key, const Bytes& value)
{
    return peerkit::PumpMessagesUntil(
        e2e::kWaitMs, nullptr, [&] { return Stored(key) == value; }, 20);
}

// The remembered folder, wherever the system says the settings lie: none at first, then the one
// chosen last; neither a stored folder that refuses files nor one that is gone is preselected.
// Under the writable root a copy is kept below HKEY_CURRENT_USER, and a value that another process
// wrote there is neither probed nor preselected.
TEST(DownloadSettings, RememberedFolderWhereverTheKeyLies)
{
    const Bytes p = ItemIdList("P:\\"), q = ItemIdList("Q:\\"), r = ItemIdList("R:\\");
    ASSERT_FALSE(p.empty() || q.empty() || r.empty()) << "test drives P:, Q:, R: are mapped by scripts/test";
    Bytes gone;
    {
        testfiles::CTempFolder folder("download-gone");
        gone = ItemIdList(folder.Path());
    }
    const std::string besideStandIn = e2e::LowRootAssistantPath();
    struct
    {
        const char* name;
        bool windowsXp; // never asks for the root, even where the stand-in would give one
        bool systemStandIn; // the stand-in ieframe.dll is the system folder's
        std::string assistant;
        const char* key;
        const char* otherKey;
        bool copied; // the other key holds the assistant's copy
    } const rows[] = {
        {"system ieframe", false, false, "", kSettingsKey, kLowRootSettingsKey, false},
        {"writable root", false, true, "", kLowRootSettingsKey, kSettingsKey, true},
        {"stand-in beside the assistant", false, false, besideStandIn, kSettingsKey, kLowRootSettingsKey, false},
        {"Windows XP", true, true, "", kSettingsKey, kLowRootSettingsKey, false},
    };
    for (const auto& row : rows)
    {
        testfiles::CRegistryScope company(e2e::kCompanyKey), root(e2e::kLowRootKey);
        std::optional<e2e::CSystemIeframeScope> standIn;
        if (row.systemStandIn)
        {
            ASSERT_TRUE(standIn.emplace().Installed()) << row.name;
        }
        std::optional<e2e::CXpModeScope> xp;
        peerkit::SessionOptions options;
        options.assistantPath = row.assistant;
        if (row.windowsXp)
        {
            xp.emplace();
            options.workFolder = peerkit::WorkFolderKind::OrdinaryTemp;
        }
        e2e::CDialogPeer peer(options);
        ASSERT_TRUE(peer.Start()) << row.name;
        ASSERT_TRUE(peer.Request("First"));
        EXPECT_TRUE(peer.Choose("P:\\", "")) << row.name;
        EXPECT_TRUE(peer.Accepted("P:\\")) << row.name;
        EXPECT_TRUE(StoredBecomes(row.key, p)) << row.name;
        ASSERT_TRUE(peer.Request("Stored"));
        EXPECT_TRUE(peer.Choose("Q:\\", "P:\\")) << row.name;
        EXPECT_TRUE(peer.Accepted("Q:\\")) << row.name;
        // A value of our own written before the assistant's would be overwritten by it.
        ASSERT_TRUE(StoredBecomes(row.key, q)) << row.name;
        std::vector<Bytes> notPreselected = {r, gone};
        if (row.copied)
            notPreselected.push_back(q); // writable, but not what the assistant stored last
        for (const Bytes& stored : notPreselected)
        {
            const ULONGLONG untouched = LastWrite("Q:\\");
            ASSERT_TRUE(Store(row.key, stored) && peer.Request("Not preselected"));
            EXPECT_TRUE(peer.Choose("P:\\", "")) << row.name;
            EXPECT_TRUE(peer.Accepted("P:\\")) << row.name;
            EXPECT_TRUE(StoredBecomes(row.key, p)) << row.name;
            EXPECT_EQ(LastWrite("Q:\\"), untouched) << row.name << ": probed";
        }
        EXPECT_EQ(Stored(row.otherKey), row.copied ? p : Bytes()) << row.name;
    }
}

// The content list in folder: key-a's partly fetched file a.part lies there, key-b's b.part does not.
// Empty when it cannot be written.
std::string PartlyFetchedList(const testfiles::CTempFolder& folder)
{
    const std::string list = folder.File("contents.csv");
    peerkit::CContentListWriter writer(list);
    writer.SetRecord("key-a", ContentRecord{folder.File("a.part"), "", 0});
    writer.SetRecord("key-b", ContentRecord{folder.File("b.part"), "", 0});
    return WriteBytes(folder.File("a.part"), "partial") && writer.Commit() ? list : "";
}

// P: and Q: emptied when the scope begins and ends.
class CEmptyDrives
{
  public:
    CEmptyDrives() { Empty(); }
    ~CEmptyDrives() { Empty(); }

  private:
    static void Empty()
    {
        for (const std::string root : {"P:\\", "Q:\\"})
            for (const std::string& name : testfiles::NamesIn(root))
            {
                ::SetFileAttributesA((root + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                testfiles::RemoveTree(root + name);
                ::DeleteFileA((root + name).c_str());
            }
    }
};

// Every refusal leads back to the dialog: an unwritable folder, read-only files, "No" to
// overwriting, "No" to giving up; the resume answer holds until a folder is accepted. The peer's
// top window stays disabled until the request is answered.
TEST(DownloadRequest, RefusalsLeadBackToTheDialog)
{
    testfiles::CRegistryScope settings(e2e::kCompanyKey);
    CEmptyDrives drives;
    testfiles::CTempFolder temp("download");
    const std::string list = PartlyFetchedList(temp);
    ASSERT_FALSE(list.empty());
    ASSERT_TRUE(WriteBytes("P:\\c.bin", "read-only c") && WriteBytes("Q:\\c.bin", "old c"));
    ASSERT_TRUE(::SetFileAttributesA("P:\\c.bin", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::CreateDirectoryA("Q:\\sub", nullptr)); // a folder bearing an entry's name
    e2e::CDialogPeer peer({}, true);
    ASSERT_TRUE(peer.Start());

    ASSERT_TRUE(
        peer.Request("Again", list, {{"a.bin", "key-a"}, {"b.bin", "key-b"}, {"c.bin", "c"}, {"sub", "d"}}));
    EXPECT_TRUE(peer.Choose("R:\\"));
    EXPECT_TRUE(peer.TopWasDisabled());
    EXPECT_TRUE(peer.Answer({}, IDOK));
    EXPECT_TRUE(peer.Choose("P:\\", "R:\\"));
    EXPECT_TRUE(peer.Answer({"a.bin"}, IDYES));
    EXPECT_TRUE(peer.Answer({"c.bin"}, IDOK));
    for (int answer : {IDNO, IDYES}) // not asked to resume again
    {
        EXPECT_TRUE(peer.Choose("Q:\\"));
        EXPECT_TRUE(peer.Answer({"c.bin", "sub"}, answer));
    }
    EXPECT_TRUE(peer.Accepted("Q:\\", 1));
    EXPECT_TRUE(::IsWindowEnabled(peer.TopAncestor()));
    EXPECT_EQ(ReadBytes("P:\\c.bin") + ReadBytes("Q:\\c.bin") + ReadBytes(temp.File("a.part")),
              "read-only cold cpartial");

    ASSERT_TRUE(peer.Request("Twice"));
    EXPECT_TRUE(peer.Cancel());
    EXPECT_TRUE(peer.Answer({}, IDNO));
    EXPECT_NE(peer.LastBoxText().find("Twice"), std::string::npos) << "the question names the download";
    EXPECT_TRUE(peer.Cancel());
    EXPECT_TRUE(peer.TopWasDisabled());
    EXPECT_TRUE(peer.Answer({}, IDYES));
    EXPECT_TRUE(peer.Abandoned());
    EXPECT_TRUE(::IsWindowEnabled(peer.TopAncestor()));
    peer.Session().SignalQuit();
    EXPECT_EQ(peer.Session().WaitForExit(e2e::kWaitMs), 0u);
    EXPECT_TRUE(peer.Session().TakeReplies().empty());
    EXPECT_EQ(Stored(kSettingsKey), ItemIdList("Q:\\"));
}

// The folder \\SERVER\SHARE as Wine serves it, from the prefix, seen through drive Z:.
std::string UncShareOnDisk()
{
    char prefix[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    std::string path = std::string("Z:") + std::string(prefix, length < MAX_PATH ? length : 0) +
                       "/dosdevices/unc/SERVER/SHARE";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// A content list whose lock another process holds counts as unreadable after a bounded wait, and a
// file name on the network as not found: no question, though the list records an existing
// temporary file and the share holds the name.
TEST(DownloadRequest, SquattedLockAndNetworkNamesAreNotWaitedFor)
{
    testfiles::CRegistryScope settings(e2e::kCompanyKey);
    CEmptyDrives drives;
    testfiles::CTempFolder temp("squat");
    const std::string list = PartlyFetchedList(temp);
    ASSERT_FALSE(list.empty());
    const std::string share = UncShareOnDisk();
    ::SHCreateDirectoryExA(nullptr, share.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(share + "\\n.bin", "on the network"));
    ASSERT_TRUE(testfiles::FileExists("\\\\SERVER\\SHARE\\n.bin")) << "Wine serves the share from " << share;
    {
        const peerkit::CContentListHold squatted = peerkit::CContentListWriter(list).Lock();
        ASSERT_TRUE(squatted);
        e2e::CDialogPeer peer;
        const e2e::Entries entries = {{"a.bin", "key-a"}, {"\\\\SERVER\\SHARE\\n.bin", "n"}};
        ASSERT_TRUE(peer.Start() && peer.Request("Squat", list, entries));
        EXPECT_TRUE(peer.Choose("P:\\"));
        EXPECT_TRUE(peer.Accepted("P:\\", 0));
        peer.Session().SignalQuit();
        EXPECT_EQ(peer.Session().WaitForExit(e2e::kWaitMs), 0u);
    }
    testfiles::RemoveTree(share.substr(0, share.size() - std::string("\\SERVER\\SHARE").size()));
}

// QuitEvent reaches an open dialog and an open message box alike, and so does WM_CLOSE sent to the
// frame from outside: dismissed, the request abandoned, nothing stored, exit code 0; the top window
// stays disabled (no closing question answered).
TEST(DownloadRequest, QuitWhileTheUserIsAskedAbandonsTheRequest)
{
    struct { bool messageBox, closeFrame; } const rows[] = {{false, false}, {true, false}, {false, true}};
    for (const auto& [messageBox, closeFrame] : rows)
    {
        testfiles::CRegistryScope settings(e2e::kCompanyKey);
        e2e::CDialogPeer peer({}, true);
        ASSERT_TRUE(peer.Start() && peer.Request("Quit"));
        EXPECT_TRUE(!messageBox || peer.Choose("R:\\"));
        peerkit::CDialogDriver driver(peer.Session().ProcessId());
        HWND shown =
            messageBox ? driver.WaitForMessageBox(e2e::kWaitMs) : driver.WaitForFolderDialog(e2e::kWaitMs);
        ASSERT_TRUE(shown);
        if (closeFrame)
            ::PostMessageA(peer.Session().FindFrameWindow(), WM_CLOSE, 0, 0);
        else
            peer.Session().SignalQuit();
        EXPECT_TRUE(driver.WaitUntilGone(shown, e2e::kWaitMs));
        EXPECT_TRUE(peer.Abandoned()) << messageBox << closeFrame;
        EXPECT_EQ(peer.Session().WaitForExit(e2e::kWaitMs), 0u) << messageBox << closeFrame;
        EXPECT_TRUE(peer.Session().TakeReplies().empty()) << messageBox << closeFrame;
        EXPECT_TRUE(messageBox || !::IsWindowEnabled(peer.TopAncestor()));
        EXPECT_TRUE(Stored(kSettingsKey).empty()) << messageBox << closeFrame;
    }
}
} // namespace
