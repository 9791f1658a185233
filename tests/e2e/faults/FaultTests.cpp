// Command 3 under faults, end to end with the real assistant: the source held open without sharing
// by another process, an unwritable destination folder, a destination that is a folder, and a
// destination on another volume that is full or read-only. Each ends with reply 4 carrying the
// system's error number, and the fetched file is found whole at its source, never lost or cut short.
// run_e2e_faults.sh prepares the locked folder and the two volumes and names them in E2E_FAULTS_*.
#include "peer/Protocol.h"
#include "peerkit/FinishRequest.h"
#include "peerkit/PeerSession.h"
#include "tests/e2e/faults/FileHolderProcess.h"
#include "tests/e2e/support/E2eSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>

namespace
{
using e2e::FileExists;
using e2e::NamesIn;
using e2e::ReadBytes;
using e2e::WriteBytes;
using Names = std::vector<std::string>;

constexpr DWORD kReplyWait = 5000; // one poll tick plus the work
constexpr size_t kLargerThanTheFullVolume = 200 * 1024;

// One assistant for every case: each Wine process start costs about a second.
class CSharedAssistant : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        m_session = std::make_unique<peerkit::CPeerSession>();
        if (!m_session->Launch() || !m_session->Attach(5000))
            m_session.reset();
    }
    void TearDown() override { m_session.reset(); }
    peerkit::CPeerSession* Session() const { return m_session.get(); }

  private:
    std::unique_ptr<peerkit::CPeerSession> m_session;
};

CSharedAssistant* const g_assistant =
    static_cast<CSharedAssistant*>(::testing::AddGlobalTestEnvironment(new CSharedAssistant));

// Bytes that no truncation or mix-up can pass for the whole file.
std::string FetchedBytes(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The error the system gives anyone who creates a file in folder (0 if it can be done).
DWORD SystemWriteError(const std::string& folder)
{
    std::string probe = folder + "\\probe.txt";
    HANDLE file =
        ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    ::CloseHandle(file);
    ::DeleteFileA(probe.c_str());
    return ERROR_SUCCESS;
}

class FaultTest : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_NE(g_assistant->Session(), nullptr) << "the assistant did not attach"; }

    // Command 3 and the FinishResult of its reply; nothing when no reply 4 came.
    std::optional<std::uint32_t> Finish(const std::string& source, const std::string& destination)
    {
        peerkit::CPeerSession& session = *g_assistant->Session();
        EXPECT_TRUE(peerkit::SendFinishRequest(session, {source, destination}));
        std::optional<peerkit::Reply> reply = session.WaitForReply(kReplyWait);
        if (!reply)
            return std::nullopt;
        return peerkit::FinishResultOf(*reply);
    }

    // A folder that run_e2e_faults.sh prepared.
    static std::string PreparedFolder(const char* variable)
    {
        const char* folder = std::getenv(variable);
        return folder ? folder : "";
    }

    // A fetched file and a fetched executable, both of the given size.
    void Fetch(size_t size)
    {
        fetched = FetchedBytes(size, static_cast<unsigned>(size));
        ASSERT_TRUE(WriteBytes(source, fetched));
        ASSERT_TRUE(WriteBytes(program, fetched));
    }

    void ExpectSourcesWhole()
    {
        EXPECT_TRUE(ReadBytes(source) == fetched) << source << " is not the whole fetched file";
        EXPECT_TRUE(ReadBytes(program) == fetched) << program << " is not the whole fetched file";
    }

    e2e::CTempFolder folder{"faults"};
    const std::string source = folder.File("fetched.tmp");
    const std::string program = folder.File("fetched.exe");
    std::string fetched;
};

TEST_F(FaultTest, SourceHeldWithoutSharingByAnotherProcess)
{
    ASSERT_NO_FATAL_FAILURE(Fetch(64 * 1024));
    std::string destination = folder.File("movie.mp4");
    ASSERT_TRUE(WriteBytes(destination, "older"));
    {
        faults::CFileHolderProcess holdSource(source);
        faults::CFileHolderProcess holdProgram(program);
        ASSERT_TRUE(holdSource.Holding()) << holdSource.Failure();
        ASSERT_TRUE(holdProgram.Holding()) << holdProgram.Failure();
        ASSERT_TRUE(ReadBytes(source).empty()) << "the file is not held without sharing";

        EXPECT_EQ(Finish(source, destination), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(Finish(program, folder.File("setup.exe")),
                  static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
        // Renewed in place, it cannot even be moved aside; no TMP name is left behind.
        EXPECT_EQ(Finish(program, program), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
        EXPECT_TRUE(holdSource.Release());
        EXPECT_TRUE(holdProgram.Release());
    }
    ExpectSourcesWhole();
    EXPECT_EQ(ReadBytes(destination), "older");
    EXPECT_EQ(NamesIn(folder.Path()), (Names{"fetched.exe", "fetched.tmp", "movie.mp4"}));
}

TEST_F(FaultTest, UnwritableDestinationFolder)
{
    std::string locked = PreparedFolder("E2E_FAULTS_LOCKED");
    ASSERT_FALSE(locked.empty()) << "run through run_e2e_faults.sh";
    ASSERT_EQ(SystemWriteError(locked), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    ASSERT_NO_FATAL_FAILURE(Fetch(100 * 1024));

    EXPECT_EQ(Finish(source, locked + "\\clip.mp4"), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Finish(program, locked + "\\app.exe"), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    ExpectSourcesWhole();
    EXPECT_TRUE(NamesIn(locked).empty());
}

TEST_F(FaultTest, DestinationIsAnExistingFolder)
{
    ASSERT_NO_FATAL_FAILURE(Fetch(100 * 1024));
    std::string empty = folder.File("empty");
    std::string filled = folder.File("filled");
    ASSERT_TRUE(::CreateDirectoryA(empty.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(filled.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(filled + "\\inside.txt", "inside"));

    for (const std::string& destination : {empty, filled})
    {
        EXPECT_EQ(Finish(source, destination), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED))
            << destination;
        EXPECT_EQ(Finish(program, destination), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED))
            << destination;
        EXPECT_TRUE(IsFolder(destination));
    }
    ExpectSourcesWhole();
    EXPECT_TRUE(NamesIn(empty).empty());
    EXPECT_EQ(NamesIn(filled), Names{"inside.txt"});
    EXPECT_EQ(ReadBytes(filled + "\\inside.txt"), "inside");
}

// A move to another volume is a copy and a delete; on a full volume the copy fails part-way.
TEST_F(FaultTest, FullVolumeKeepsNoTruncatedCopy)
{
    std::string full = PreparedFolder("E2E_FAULTS_FULL");
    ASSERT_FALSE(full.empty()) << "run through run_e2e_faults.sh";
    ASSERT_TRUE(NamesIn(full).empty());

    // What fits is moved across: the volume itself works.
    std::string small = FetchedBytes(1000, 1);
    ASSERT_TRUE(WriteBytes(source, small));
    EXPECT_EQ(Finish(source, full + "\\small.dat"), 0u);
    EXPECT_EQ(ReadBytes(full + "\\small.dat"), small);
    EXPECT_FALSE(FileExists(source));
    ASSERT_TRUE(::DeleteFileA((full + "\\small.dat").c_str()));

    ASSERT_NO_FATAL_FAILURE(Fetch(kLargerThanTheFullVolume));
    EXPECT_EQ(Finish(source, full + "\\movie.mp4"), static_cast<std::uint32_t>(ERROR_DISK_FULL));
    EXPECT_EQ(Finish(program, full + "\\setup.exe"), static_cast<std::uint32_t>(ERROR_DISK_FULL));
    ExpectSourcesWhole();
    EXPECT_EQ(NamesIn(full), Names{});

    // An older file there is replaced by the whole file or not at all; cut short, it goes.
    ASSERT_TRUE(WriteBytes(full + "\\older.dat", "older"));
    EXPECT_EQ(Finish(source, full + "\\older.dat"), static_cast<std::uint32_t>(ERROR_DISK_FULL));
    ExpectSourcesWhole();
    Names left = NamesIn(full);
    EXPECT_TRUE(left.empty() || ReadBytes(full + "\\older.dat") == "older");
    for (const std::string& name : left)
        ::DeleteFileA((full + "\\" + name).c_str());
}

TEST_F(FaultTest, ReadOnlyVolume)
{
    std::string readOnly = PreparedFolder("E2E_FAULTS_READONLY");
    ASSERT_FALSE(readOnly.empty()) << "run through run_e2e_faults.sh";
    DWORD refused = SystemWriteError(readOnly);
    ASSERT_NE(refused, static_cast<DWORD>(ERROR_SUCCESS)) << "the volume is writable";
    const std::string older = ReadBytes(readOnly + "\\older.dat");
    ASSERT_FALSE(older.empty());
    ASSERT_NO_FATAL_FAILURE(Fetch(100 * 1024));

    EXPECT_EQ(Finish(source, readOnly + "\\clip.mp4"), refused);
    EXPECT_EQ(Finish(program, readOnly + "\\app.exe"), refused);
    EXPECT_EQ(Finish(source, readOnly + "\\older.dat"), refused);
    ExpectSourcesWhole();
    EXPECT_EQ(NamesIn(readOnly), Names{"older.dat"});
    EXPECT_EQ(ReadBytes(readOnly + "\\older.dat"), older);
}
} // namespace
