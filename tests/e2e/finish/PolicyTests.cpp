// The placement policy end to end: FinishPolicy as users and administrators set it, the path forms
// that the stricter levels refuse, and placement only inside a folder the user chose. A refused
// command 3 gets reply 4 with 5, and both files stay byte for byte as they were. run_e2e_finish.sh
// empties the test drives P: (the folder chosen) and Q:, and makes P:\sub, Q:\outside and, of the
// file system the prefix lies on, a symbolic link P:\link to Q:\outside.
#include "peerkit/FinishPolicySetting.h"
#include "tools/dlcpeer/MachineProbes.h"
#include "tests/e2e/support/DialogPeer.h"

#include <cstdlib>
#include <functional>

namespace
{
using testfiles::ReadBytes;
using testfiles::WriteBytes;
using Names = std::vector<std::string>;
constexpr std::uint32_t kRefused = ERROR_ACCESS_DENIED;
constexpr const char* kMachineCompanyKey = "Software\\Policies\\Brisel Co.,Ltd.";

bool SetValue(HKEY root, const std::string& subkey, DWORD type, const void* data, DWORD size)
{
    CRegKey key;
    return ::RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Put(), nullptr) ==
               ERROR_SUCCESS &&
           ::RegSetValueExA(key.Get(), peerkit::kFinishPolicyValue, 0, type, static_cast<const BYTE*>(data),
                            size) == ERROR_SUCCESS;
}

bool SetLevel(HKEY root, const std::string& subkey, DWORD level)
{
    return SetValue(root, subkey, REG_DWORD, &level, sizeof level);
}

class PolicyTest : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(WriteBytes(fetched, kFetched) && WriteBytes(program, kFetched)); }

    // Command 3 and what it left at target (the file the destination names, plainly spelled): a
    // placed file holds the fetched bytes; a refusal left the source whole and target as it was.
    void ExpectFinish(peerkit::CPeerSession& session, const std::string& source, const std::string& destination,
                      std::uint32_t expected, const std::string& target)
    {
        const std::string label = source + " -> " + destination;
        const std::string sourceBefore = ReadBytes(source), targetBefore = ReadBytes(target);
        const DWORD attributesBefore = testfiles::Attributes(target);
        EXPECT_EQ(e2e::Finish(session, source, destination), expected) << label;
        if (expected == 0)
        {
            EXPECT_EQ(ReadBytes(target), sourceBefore) << label;
            EXPECT_TRUE(peerkit::probes::HasFolderDacl(target)) << label;
            return;
        }
        EXPECT_EQ(ReadBytes(source), sourceBefore) << label;
        EXPECT_EQ(ReadBytes(target), targetBefore) << label;
        EXPECT_EQ(testfiles::Attributes(target), attributesBefore) << label;
    }

    static constexpr const char* kFetched = "fetched bytes";
    testfiles::CRegistryScope user{e2e::kCompanyKey};
    testfiles::CRegistryScope machine{kMachineCompanyKey, HKEY_LOCAL_MACHINE};
    testfiles::CTempFolder work{"policy"};
    const std::string fetched = work.File("fetched.tmp");
    const std::string program = work.File("fetched.exe");
};

// Two probes tell the level in force: a path with a "." component (refused from level 1) and a
// plain path while no folder has been chosen (refused at level 2). The value is read at every
// command, so one assistant serves every row; the writable root's copy is never consulted.
TEST_F(PolicyTest, LevelIsTheMachinesValueElseTheUsers)
{
    const std::string userKey = peerkit::kUserSettingsKey, machineKey = peerkit::kMachinePolicyKey;
    struct
    {
        const char* name;
        std::function<bool()> set;
        unsigned level;
    } const rows[] = {
        {"user 0", [&] { return SetLevel(HKEY_CURRENT_USER, userKey, 0); }, 0},
        {"user 1", [&] { return SetLevel(HKEY_CURRENT_USER, userKey, 1); }, 1},
        {"user 2", [&] { return SetLevel(HKEY_CURRENT_USER, userKey, 2); }, 2},
        {"user 3", [&] { return SetLevel(HKEY_CURRENT_USER, userKey, 3); }, 0},
        {"user \"2\" as text", [&] { return SetValue(HKEY_CURRENT_USER, userKey, REG_SZ, "2", 2); }, 0},
        {"machine 0 over user 2",
         [&] { return SetLevel(HKEY_CURRENT_USER, userKey, 2) && SetLevel(HKEY_LOCAL_MACHINE, machineKey, 0); }, 0},
        {"machine 1 over user 0",
         [&] { return SetLevel(HKEY_CURRENT_USER, userKey, 0) && SetLevel(HKEY_LOCAL_MACHINE, machineKey, 1); }, 1},
        {"machine 2 alone", [&] { return SetLevel(HKEY_LOCAL_MACHINE, machineKey, 2); }, 2},
    };
    auto probe = [&](peerkit::CPeerSession& session, unsigned level, const std::string& name) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(WriteBytes(fetched, kFetched));
        ExpectFinish(session, fetched, work.Path() + "\\.\\dotted.txt", level >= 1 ? kRefused : 0,
                     work.File("dotted.txt"));
        ASSERT_TRUE(WriteBytes(fetched, kFetched));
        ExpectFinish(session, fetched, work.File("plain.txt"), level >= 2 ? kRefused : 0, work.File("plain.txt"));
        ::DeleteFileA(work.File("dotted.txt").c_str());
        ::DeleteFileA(work.File("plain.txt").c_str());
    };
    {
        e2e::CDialogPeer peer; // ended before the next starts: assistants of one user share the work file
        ASSERT_TRUE(peer.Start());
        for (const auto& row : rows)
        {
            testfiles::CRegistryScope userRow{e2e::kCompanyKey};
            testfiles::CRegistryScope machineRow{kMachineCompanyKey, HKEY_LOCAL_MACHINE};
            ASSERT_TRUE(row.set()) << row.name;
            probe(peer.Session(), row.level, row.name);
        }
    }

    testfiles::CRegistryScope root(e2e::kLowRootKey);
    ASSERT_TRUE(SetLevel(HKEY_CURRENT_USER, std::string(e2e::kLowRootKey) + "\\Brisel Co.,Ltd.\\Kavo Downloader", 2));
    e2e::CSystemIeframeScope standIn;
    ASSERT_TRUE(standIn.Installed());
    e2e::CDialogPeer lowRoot;
    ASSERT_TRUE(lowRoot.Start());
    probe(lowRoot.Session(), 0, "writable root 2");
}

// Level 1: every form a plain local path does not take is refused before anything is touched, even
// the reset of a read-only destination; a plain path is placed, read-only destination and all.
TEST_F(PolicyTest, FormsAreRefusedFromLevelOne)
{
    ASSERT_TRUE(SetLevel(HKEY_CURRENT_USER, peerkit::kUserSettingsKey, 1));
    const std::string older = work.File("older.txt");
    ASSERT_TRUE(WriteBytes(older, "an older file") && ::SetFileAttributesA(older.c_str(), FILE_ATTRIBUTE_READONLY));
    struct
    {
        std::string source, destination;
    } const rows[] = {
        {fetched, "\\\\?\\" + older}, {fetched, "\\\\.\\" + older}, {fetched, "\\??\\" + older},
        {fetched, work.File("CON")}, {fetched, work.File("nul.txt")}, {fetched, work.File("com1.log")},
        {fetched, older + ":stream"}, {fetched, older + "."}, {fetched, older + " "},
        {fetched, work.Path() + "\\.\\older.txt"}, {fetched, work.Path() + "\\x\\..\\older.txt"},
        {fetched, "older.txt"}, {fetched, older.substr(0, 2) + older.substr(3)},
        {"\\\\server\\share\\fetched.tmp", older}, {"\\\\?\\" + fetched, older}, {"fetched.tmp", older},
        {program, "\\\\?\\" + older},
    };
    e2e::CDialogPeer peer;
    ASSERT_TRUE(peer.Start());
    for (const auto& row : rows)
        ExpectFinish(peer.Session(), row.source, row.destination, kRefused, older);
    EXPECT_EQ(testfiles::NamesIn(work.Path()), (Names{"fetched.exe", "fetched.tmp", "older.txt"}));
    ExpectFinish(peer.Session(), fetched, older, 0, older);
    EXPECT_FALSE(testfiles::Attributes(older) & FILE_ATTRIBUTE_READONLY);
}

// Level 2: nothing is placed before the user has chosen a folder; then only inside it, never
// through a link that leads out of it, never onto or from a file with a second link.
TEST_F(PolicyTest, ConsentPlacesOnlyInsideTheChosenFolder)
{
    ASSERT_TRUE(std::getenv("E2E_POLICY_DRIVES")) << "run through run_e2e_finish.sh";
    const std::string chosen = "P:", outside = "Q:\\outside";
    ASSERT_TRUE(SetLevel(HKEY_CURRENT_USER, peerkit::kUserSettingsKey, 2));
    ASSERT_TRUE(WriteBytes(chosen + "\\other.txt", "other") &&
                ::CreateHardLinkA((chosen + "\\second.txt").c_str(), (chosen + "\\other.txt").c_str(), nullptr));
    e2e::CDialogPeer peer;
    ASSERT_TRUE(peer.Start());
    // Fetched files lie in the work folder; the ones in the ordinary temporary folder are the user's.
    testfiles::CTempFolder low{"policy", peer.Session().WorkFolder()};
    const std::string lowFetched = low.File("fetched.tmp"), lowProgram = low.File("fetched.exe");
    const std::string twice = low.File("twice.tmp");
    ASSERT_TRUE(WriteBytes(lowFetched, kFetched) && WriteBytes(lowProgram, kFetched) && WriteBytes(twice, "twice") &&
                ::CreateHardLinkA(low.File("twice-link.tmp").c_str(), twice.c_str(), nullptr));
    ASSERT_TRUE(testfiles::GiveOwnDacl(lowFetched) && testfiles::GiveOwnDacl(lowProgram));
    ASSERT_TRUE(WriteBytes(chosen + "\\renew.exe", "MZ renew") && WriteBytes(outside + "\\renew.exe", "MZ out"));
    ASSERT_TRUE(testfiles::GiveOwnDacl(chosen + "\\renew.exe"));

    ExpectFinish(peer.Session(), lowFetched, chosen + "\\early.txt", kRefused, chosen + "\\early.txt");
    ASSERT_TRUE(peer.Request("Policy"));
    ASSERT_TRUE(peer.Choose("P:\\"));
    ASSERT_TRUE(peer.Accepted("P:\\"));

    const ULONGLONG renewedBefore = testfiles::FileIndex(chosen + "\\renew.exe");
    struct
    {
        std::string source, destination;
        std::uint32_t expected;
    } const rows[] = {
        {lowFetched, outside + "\\out.txt", kRefused},
        {lowFetched, chosen + "\\link\\linked.txt", kRefused},
        {lowFetched, chosen + "\\second.txt", kRefused},
        {twice, chosen + "\\twice.txt", kRefused},
        {outside + "\\renew.exe", outside + "\\renew.exe", kRefused},
        {fetched, chosen + "\\users.txt", kRefused},
        {outside + "\\renew.exe", chosen + "\\carried.exe", kRefused},
        {lowFetched, chosen + "\\placed.txt", 0},
        {lowProgram, chosen + "\\sub\\app.exe", 0},
        {chosen + "\\renew.exe", chosen + "\\renew.exe", 0},
    };
    for (const auto& row : rows)
        ExpectFinish(peer.Session(), row.source, row.destination, row.expected, row.destination);
    EXPECT_NE(testfiles::FileIndex(chosen + "\\renew.exe"), renewedBefore) << "not a fresh copy";
    EXPECT_EQ(testfiles::NamesIn(chosen),
              (Names{"link", "other.txt", "placed.txt", "renew.exe", "second.txt", "sub"}));
    EXPECT_EQ(testfiles::NamesIn(chosen + "\\sub"), Names{"app.exe"});
    EXPECT_EQ(testfiles::NamesIn(outside), Names{"renew.exe"});
    EXPECT_EQ(testfiles::NamesIn(low.Path()), (Names{"twice-link.tmp", "twice.tmp"}));
    EXPECT_EQ(testfiles::NamesIn(work.Path()), (Names{"fetched.exe", "fetched.tmp"}));
}

// A question that a stop dismissed is answered for the replies, but the folder is no consent: the
// command 3 that follows at once is refused (or, should the assistant be gone, gets no reply), and
// the user's file stays as it was.
TEST_F(PolicyTest, StopDuringTheOverwriteQuestionGivesNoConsent)
{
    ASSERT_TRUE(std::getenv("E2E_POLICY_DRIVES")) << "run through run_e2e_finish.sh";
    ASSERT_TRUE(SetLevel(HKEY_CURRENT_USER, peerkit::kUserSettingsKey, 2));
    const std::string users = "P:\\taken.txt";
    ASSERT_TRUE(WriteBytes(users, "the user's own"));
    e2e::CDialogPeer peer;
    ASSERT_TRUE(peer.Start());
    testfiles::CTempFolder low{"stop", peer.Session().WorkFolder()};
    ASSERT_TRUE(WriteBytes(low.File("taken.tmp"), kFetched));
    ASSERT_TRUE(peer.Request("Policy", "", {{"taken.txt", "key"}}));
    ASSERT_TRUE(peer.Choose("P:\\"));
    peerkit::CDialogDriver driver(peer.Session().ProcessId());
    const HWND question = driver.WaitForMessageBox(5000);
    ASSERT_TRUE(question);
    peer.Session().SignalQuit();
    ASSERT_TRUE(driver.WaitUntilGone(question, 5000));
    ASSERT_TRUE(peer.Accepted("P:\\"));
    EXPECT_NE(e2e::Finish(peer.Session(), low.File("taken.tmp"), users).value_or(kRefused), 0u);
    EXPECT_EQ(ReadBytes(users), "the user's own");
}
} // namespace
