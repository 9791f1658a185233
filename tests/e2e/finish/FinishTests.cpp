// Command 3 end to end, with faults: one real assistant places real files; every failure reaches
// the peer as the system's error number in reply 4, and the fetched file stays whole at its source.
// run_e2e_finish.sh prepares an immutable folder, a full and a read-only volume (E2E_FINISH_*), and
// for the Cp932* cases the ja_JP locale.
#include "peerkit/FinishRequest.h"
#include "tests/e2e/support/DialogPeer.h"

#include <cstdlib>
#include <memory>
#include <utility>

namespace
{
using testfiles::NamesIn;
using testfiles::ReadBytes;
using testfiles::WriteBytes;
using Names = std::vector<std::string>;

// One assistant for every case of the suite (each Wine process start costs about a second), and
// only while the suite runs: assistants of one user share the work file, so no other may run then.
std::unique_ptr<peerkit::CPeerSession> g_session;

class FinishTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        g_session = std::make_unique<peerkit::CPeerSession>();
        if (!g_session->Launch() || !g_session->Attach(e2e::kWaitMs))
            g_session.reset();
    }
    static void TearDownTestSuite() { g_session.reset(); }
    void SetUp() override { ASSERT_TRUE(g_session) << "the assistant did not attach"; }

    static std::optional<std::uint32_t> Finish(const std::string& source, const std::string& destination)
    {
        return e2e::Finish(*g_session, source, destination);
    }
    // A fetched file and a fetched executable, of bytes that no truncation can pass for the whole.
    void Fetch(size_t size)
    {
        fetched.resize(size);
        for (size_t i = 0; i < size; ++i)
            fetched[i] = static_cast<char>(i * 7 + i / 251);
        ASSERT_TRUE(WriteBytes(source, fetched) && WriteBytes(program, fetched));
    }
    void ExpectSourcesWhole()
    {
        EXPECT_TRUE(ReadBytes(source) == fetched && ReadBytes(program) == fetched) << "a source was spoiled";
    }

    testfiles::CTempFolder folder{"finish"};
    const std::string source = folder.File("fetched.tmp");
    const std::string program = folder.File("fetched.exe");
    std::string fetched;
};

TEST_F(FinishTest, FailuresGiveTheSystemsErrorAndKeepTheSource)
{
    const char *lockedFolder = std::getenv("E2E_FINISH_LOCKED"), *fullVolume = std::getenv("E2E_FINISH_FULL"),
               *readOnlyVolume = std::getenv("E2E_FINISH_READONLY");
    ASSERT_TRUE(lockedFolder && fullVolume && readOnlyVolume) << "run through run_e2e_finish.sh";
    const std::string locked = lockedFolder, full = fullVolume, readOnly = readOnlyVolume;
    ASSERT_FALSE(WriteBytes(locked + "\\probe", "x")) << "the folder is writable";
    CFileHandle probe(
        ::CreateFileA((readOnly + "\\probe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const std::uint32_t refused = ::GetLastError(); // what the system says to anyone there
    ASSERT_FALSE(probe) << "the volume is writable";
    const std::string older = ReadBytes(readOnly + "\\older.dat"), filled = folder.File("filled");
    ASSERT_FALSE(older.empty());
    ASSERT_TRUE(::CreateDirectoryA(filled.c_str(), nullptr) && WriteBytes(filled + "\\inside", "inside"));
    ASSERT_NO_FATAL_FAILURE(Fetch(200 * 1024)); // larger than the full volume
    struct
    {
        std::string destination;
        std::uint32_t error; // for the file and the executable alike
    } const rows[] = {
        {folder.File("no-such-folder\\placed"), ERROR_PATH_NOT_FOUND},
        {locked + "\\clip.mp4", ERROR_ACCESS_DENIED},
        {filled, ERROR_ACCESS_DENIED}, // a folder of that name
        {full + "\\movie.mp4", ERROR_DISK_FULL},
        {readOnly + "\\clip.mp4", refused},
        {readOnly + "\\older.dat", refused},
    };
    for (const auto& row : rows)
    {
        EXPECT_EQ(Finish(source, row.destination), row.error) << row.destination;
        EXPECT_EQ(Finish(program, row.destination), row.error) << row.destination;
    }
    EXPECT_EQ(Finish(folder.File("absent.tmp"), folder.File("placed")),
              static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Finish("NUL", folder.File("placed")), static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
    // A fetched executable in the immutable folder cannot even be moved aside; no TMP name is left.
    EXPECT_EQ(Finish(locked + "\\setup.exe", locked + "\\setup.exe"),
              static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    ExpectSourcesWhole();
    EXPECT_EQ(NamesIn(locked), Names{"setup.exe"});
    EXPECT_EQ(NamesIn(full), Names{}) << "a truncated copy was left";
    EXPECT_EQ(NamesIn(readOnly), Names{"older.dat"});
    EXPECT_EQ(ReadBytes(readOnly + "\\older.dat"), older);
    EXPECT_EQ(NamesIn(filled), Names{"inside"});
    EXPECT_EQ(NamesIn(folder.Path()), (Names{"fetched.exe", "fetched.tmp", "filled"}));
}

// Shift-JIS names: hyou (95 5C) and so (83 5C) end in a byte that reads as a backslash; katakana a
// (83 41) and di (83 61) end in bytes that read as 'A' and 'a'; full-width a (82 81) and A (82 60)
// are one letter in two cases, so those two name the same file.
TEST_F(FinishTest, Cp932NamesArePlacedByWholeCharacters)
{
    ASSERT_EQ(::GetACP(), 932u) << "run under LANG=ja_JP.UTF-8 with its locale generated";
    const std::string sub = folder.File("\x95\x5C") + "\\";
    ASSERT_TRUE(::CreateDirectoryA(sub.c_str(), nullptr));
    struct
    {
        std::string source, destination, placed;
    } const rows[] = {
        {"\x83\x5C.tmp", "\x95\x5C\x83\x5C.txt", "\x95\x5C\x83\x5C.txt"},
        {"\x83\x5C.exe", "\x83\x5C.exe", "\x83\x5C.exe"},
        {"\x83\x41.txt", "\x83\x61.txt", "\x83\x61.txt"},
        {"\x82\x81.txt", "\x82\x60.txt", "\x82\x81.txt"},
    };
    for (const auto& row : rows)
    {
        ASSERT_TRUE(WriteBytes(sub + row.source, row.source));
        EXPECT_EQ(Finish(sub + row.source, sub + row.destination), 0u) << row.destination;
        EXPECT_EQ(NamesIn(sub), Names{row.placed}) << row.destination;
        EXPECT_EQ(ReadBytes(sub + row.placed), row.source) << row.destination;
        ::DeleteFileA((sub + row.placed).c_str());
    }
    EXPECT_EQ(NamesIn(folder.Path()), Names{"\x95\x5C"});
}

// The kit starts an assistant whose own name ends in so (83 5C): its folder is cut by whole
// characters. Runs after the suite above has ended its assistant.
TEST(Cp932Kit, LaunchesAnAssistantWhoseNameEndsInA5CByte)
{
    ASSERT_EQ(::GetACP(), 932u) << "run under LANG=ja_JP.UTF-8 with its locale generated";
    testfiles::CTempFolder folder("launch");
    peerkit::SessionOptions options;
    options.assistantPath = folder.File("\x83\x5C.exe");
    ASSERT_TRUE(::CopyFileA(peerkit::CPeerSession::DefaultAssistantPath().c_str(), options.assistantPath.c_str(), TRUE));
    peerkit::CPeerSession session(options);
    ASSERT_TRUE(session.Launch());
    EXPECT_TRUE(session.Attach(e2e::kWaitMs));
}
} // namespace
