// Command 3 end to end: the real assistant places real files under Wine, driven through the peer kit.
// Cp932* cases need the ja_JP locale and FinishTest.UnwritableDestination* a folder that no process
// may write; run_e2e_finish.sh provides both.
#include "environment/FinishRequest.h"
#include "peer/Protocol.h"
#include "peerkit/FinishRequest.h"
#include "peerkit/PeerSession.h"
#include "tests/e2e/support/E2eSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace
{
using Bytes = std::vector<std::uint8_t>;
using e2e::FileExists;
using e2e::FileIndex;
using e2e::NamesIn;
using e2e::ReadBytes;
using e2e::WriteBytes;

constexpr DWORD kReplyWait = 5000; // one poll tick plus the work

// One assistant for every case: each Wine process start costs about a second.
class CSharedAssistant : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        m_session = std::make_unique<peerkit::CPeerSession>();
        if (m_session->Launch() && m_session->Attach(5000))
            return;
        m_session.reset();
    }
    void TearDown() override { m_session.reset(); }
    static peerkit::CPeerSession* Session() { return s_instance->m_session.get(); }

    static CSharedAssistant* s_instance;

  private:
    std::unique_ptr<peerkit::CPeerSession> m_session;
};

CSharedAssistant* CSharedAssistant::s_instance =
    static_cast<CSharedAssistant*>(::testing::AddGlobalTestEnvironment(new CSharedAssistant));

DWORD ProblemAttributes(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) &
           (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

class FinishTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(CSharedAssistant::Session(), nullptr) << "the assistant did not attach";
    }
    peerkit::CPeerSession& Session() { return *CSharedAssistant::Session(); }

    // Command 3 and the FinishResult of its reply; nothing when no reply 4 came.
    std::optional<std::uint32_t> Finish(const std::string& source, const std::string& destination)
    {
        EXPECT_TRUE(peerkit::SendFinishRequest(Session(), {source, destination}));
        std::optional<peerkit::Reply> reply = Session().WaitForReply(kReplyWait);
        if (!reply)
            return std::nullopt;
        return peerkit::FinishResultOf(*reply);
    }

    // Sends a raw payload under command 3 and waits until the assistant has taken the work file.
    void SendRaw(const Bytes& payload)
    {
        ASSERT_TRUE(Session().SendCommand(protocol::kCommandFinish, payload));
        ASSERT_TRUE(Session().WaitUntilWorkFileGone(kReplyWait));
    }

    e2e::CTempFolder folder{"finish"};
};

TEST_F(FinishTest, FileIsMovedOverAReadOnlyHiddenFileAndEndsNormal)
{
    std::string source = folder.File("fetched.tmp");
    std::string destination = folder.File("movie.mp4");
    ASSERT_TRUE(WriteBytes(source, "fetched bytes"));
    ASSERT_TRUE(WriteBytes(destination, "older"));
    ::SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ULONGLONG fetched = FileIndex(source);

    EXPECT_EQ(Finish(source, destination), 0u);
    EXPECT_FALSE(FileExists(source));
    EXPECT_EQ(ReadBytes(destination), "fetched bytes");
    EXPECT_EQ(FileIndex(destination), fetched); // moved, not copied
    EXPECT_EQ(ProblemAttributes(destination), 0u);
}

TEST_F(FinishTest, ExecutableSourceIsCopiedAndRemoved)
{
    ASSERT_TRUE(::CreateDirectoryA(folder.File("t").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(folder.File("d").c_str(), nullptr));
    std::string source = folder.File("t\\a.EXE");
    std::string destination = folder.File("d\\a.exe");
    ASSERT_TRUE(WriteBytes(source, "MZ program"));
    ULONGLONG fetched = FileIndex(source);

    EXPECT_EQ(Finish(source, destination), 0u);
    EXPECT_FALSE(FileExists(source));
    EXPECT_EQ(ReadBytes(destination), "MZ program");
    EXPECT_NE(FileIndex(destination), fetched);
}

TEST_F(FinishTest, OnlyTheSourceExtensionChoosesTheCopy)
{
    std::string source = folder.File("setup.tmp");
    std::string destination = folder.File("setup.exe");
    ASSERT_TRUE(WriteBytes(source, "MZ installer"));
    ULONGLONG fetched = FileIndex(source);

    EXPECT_EQ(Finish(source, destination), 0u);
    EXPECT_FALSE(FileExists(source));
    EXPECT_EQ(ReadBytes(destination), "MZ installer");
    EXPECT_EQ(FileIndex(destination), fetched);
}

TEST_F(FinishTest, SamePathInAnotherCaseIsLeftInPlace)
{
    std::string path = folder.File("Report.TXT");
    ASSERT_TRUE(WriteBytes(path, "report"));
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    ULONGLONG fetched = FileIndex(path);
    EXPECT_EQ(Finish(path, folder.File("report.txt")), 0u);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"Report.TXT"});
    EXPECT_EQ(FileIndex(path), fetched);
    EXPECT_EQ(ReadBytes(path), "report");
    EXPECT_EQ(ProblemAttributes(path), 0u);
}

// Taken for two paths, the copy would meet its own source and fail.
TEST_F(FinishTest, SameExecutablePathInAnotherCaseIsRenewedToo)
{
    std::string path = folder.File("Tool.EXE");
    ASSERT_TRUE(WriteBytes(path, "MZ tool"));
    ULONGLONG fetched = FileIndex(path);

    EXPECT_EQ(Finish(path, folder.File("tool.exe")), 0u);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"tool.exe"});
    EXPECT_EQ(ReadBytes(path), "MZ tool");
    EXPECT_NE(FileIndex(path), fetched);
}

TEST_F(FinishTest, SameExecutablePathGetsANewFileUnderItsOwnName)
{
    std::string path = folder.File("tool.exe");
    ASSERT_TRUE(WriteBytes(path, "MZ tool"));
    ULONGLONG fetched = FileIndex(path);

    EXPECT_EQ(Finish(path, path), 0u);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"tool.exe"});
    EXPECT_EQ(ReadBytes(path), "MZ tool");
    EXPECT_NE(FileIndex(path), fetched);
}

TEST_F(FinishTest, FailedCopyPutsTheExecutableBackUnderItsOwnName)
{
    std::string path = folder.File("held.exe");
    ASSERT_TRUE(WriteBytes(path, "MZ held"));
    // Held so that it can be renamed but not read: the move aside works and the copy fails.
    HANDLE held = ::CreateFileA(path.c_str(), DELETE, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::optional<std::uint32_t> result = Finish(path, path);
    ::CloseHandle(held);

    EXPECT_EQ(result, static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"held.exe"});
    EXPECT_EQ(ReadBytes(path), "MZ held");
}

TEST_F(FinishTest, MissingSourceOrFolderGivesTheSystemsError)
{
    ASSERT_TRUE(WriteBytes(folder.File("real.tmp"), "real"));
    EXPECT_EQ(Finish(folder.File("absent.tmp"), folder.File("placed.txt")), 2u);
    EXPECT_EQ(Finish(folder.File("absent.exe"), folder.File("placed.exe")), 2u);
    EXPECT_EQ(Finish(folder.File("absent.exe"), folder.File("absent.exe")), 2u);
    EXPECT_EQ(Finish(folder.File("real.tmp"), folder.File("no-such-folder\\placed.txt")), 3u);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"real.tmp"});
}

TEST_F(FinishTest, UnwritableDestinationIsRefusedByTheSystem)
{
    const char* locked = std::getenv("E2E_FINISH_LOCKED");
    ASSERT_NE(locked, nullptr) << "run through run_e2e_finish.sh, which prepares the folder";
    std::string lockedFolder = locked;
    ASSERT_FALSE(WriteBytes(lockedFolder + "\\probe.txt", "x")) << "the folder is writable";

    std::string source = folder.File("clip.tmp");
    std::string program = folder.File("app.exe");
    ASSERT_TRUE(WriteBytes(source, "clip"));
    ASSERT_TRUE(WriteBytes(program, "MZ app"));
    EXPECT_EQ(Finish(source, lockedFolder + "\\clip.mp4"), 5u);
    EXPECT_EQ(Finish(program, lockedFolder + "\\app.exe"), 5u);
    EXPECT_EQ(ReadBytes(source), "clip");
    EXPECT_EQ(ReadBytes(program), "MZ app");

    // A fetched executable inside it cannot be moved aside; it stays, and no TMP name is left.
    std::string inside = lockedFolder + "\\setup.exe";
    EXPECT_EQ(Finish(inside, inside), 5u);
    EXPECT_EQ(NamesIn(lockedFolder), std::vector<std::string>{"setup.exe"});
    EXPECT_EQ(ReadBytes(inside), "MZ locked");
}

TEST_F(FinishTest, RecordsThatAreNoWholeRequestGetNoReply)
{
    std::string source = folder.File("kept.tmp");
    std::string destination = folder.File("kept.txt");
    ASSERT_TRUE(WriteBytes(source, "kept"));
    std::optional<Bytes> record = peerkit::EncodeFinishRequest({source, destination});
    ASSERT_TRUE(record);

    Bytes downloadTag = *record;
    downloadTag[0] = 0x24; // 1316, a download request's tag
    downloadTag[1] = 0x05;
    SendRaw(downloadTag);
    SendRaw(Bytes(record->begin(), record->end() - 1));
    // The next request's reply is the first the peer sees, and the file was never moved.
    EXPECT_EQ(Finish(folder.File("absent.tmp"), destination), 2u);
    EXPECT_EQ(ReadBytes(source), "kept");
    EXPECT_FALSE(FileExists(destination));
    EXPECT_TRUE(Session().TakeReplies().empty());
}

TEST(FinishRecord, PeerKitRecordDecodesAsSent)
{
    std::string longest(259, 'p');
    std::optional<Bytes> record = peerkit::EncodeFinishRequest({longest, "C:\\d\\\x95\x5C.exe"});
    ASSERT_TRUE(record);
    EXPECT_EQ(record->size(), 524u);
    DecodedFinishRequest decoded = DecodeFinishRequest(*record);
    ASSERT_EQ(decoded.decision, FinishDecision::Place);
    EXPECT_EQ(decoded.request.sourcePath, longest);
    EXPECT_EQ(decoded.request.destinationPath, "C:\\d\\\x95\x5C.exe");

    EXPECT_FALSE(peerkit::EncodeFinishRequest({std::string(260, 'p'), "C:\\b"}));
    EXPECT_FALSE(peerkit::EncodeFinishRequest({"C:\\a", std::string(260, 'p')}));
    EXPECT_FALSE(peerkit::EncodeFinishRequest({std::string("C:\\a\0b", 6), "C:\\b"}));
}

// Shift-JIS names whose trail byte is 0x5C: hyou (95 5C) and so (83 5C). Katakana a (83 41) and
// di (83 61) have trail bytes that look like 'A' and 'a'; full-width a (82 81) and A (82 60) are
// one letter in two cases.
const std::string kHyou = "\x95\x5C";
const std::string kSo = "\x83\x5C";

class Cp932Finish : public FinishTest
{
  protected:
    void SetUp() override
    {
        FinishTest::SetUp();
        ASSERT_EQ(::GetACP(), 932u) << "run under LANG=ja_JP.UTF-8 with its locale generated";
        sub = folder.Path() + "\\" + kHyou;
        ASSERT_TRUE(::CreateDirectoryA(sub.c_str(), nullptr));
    }
    std::string sub;
};

TEST_F(Cp932Finish, NamesWithTrailByte5CAreMoved)
{
    std::string source = sub + "\\" + kSo + ".tmp";
    std::string destination = sub + "\\" + kHyou + kSo + ".txt";
    ASSERT_TRUE(WriteBytes(source, "sjis"));
    EXPECT_EQ(Finish(source, destination), 0u);
    EXPECT_EQ(NamesIn(sub), std::vector<std::string>{kHyou + kSo + ".txt"});
    EXPECT_EQ(ReadBytes(destination), "sjis");
}

TEST_F(Cp932Finish, SameExecutableInAFolderEndingInTrailByte5C)
{
    std::string path = sub + "\\" + kSo + ".exe";
    ASSERT_TRUE(WriteBytes(path, "MZ sjis"));
    ULONGLONG fetched = FileIndex(path);
    EXPECT_EQ(Finish(path, path), 0u);
    EXPECT_EQ(NamesIn(sub), std::vector<std::string>{kSo + ".exe"});
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{kHyou});
    EXPECT_NE(FileIndex(path), fetched);
    EXPECT_EQ(ReadBytes(path), "MZ sjis");
}

TEST_F(Cp932Finish, TrailBytesThatLookLikeLettersNameDifferentFiles)
{
    std::string source = sub + "\\\x83\x41.txt";
    std::string destination = sub + "\\\x83\x61.txt";
    ASSERT_TRUE(WriteBytes(source, "katakana"));
    EXPECT_EQ(Finish(source, destination), 0u);
    EXPECT_EQ(NamesIn(sub), std::vector<std::string>{"\x83\x61.txt"});
    EXPECT_EQ(ReadBytes(destination), "katakana");
}

TEST_F(Cp932Finish, FullWidthLettersInAnotherCaseAreTheSamePath)
{
    std::string path = sub + "\\\x82\x81.txt";
    ASSERT_TRUE(WriteBytes(path, "full width"));
    EXPECT_EQ(Finish(path, sub + "\\\x82\x60.txt"), 0u);
    EXPECT_EQ(NamesIn(sub), std::vector<std::string>{"\x82\x81.txt"});
    EXPECT_EQ(ReadBytes(path), "full width");

    // As an executable it goes the same-path way; taken for two paths, the copy would fail.
    std::string program = sub + "\\\x82\x81.exe";
    ASSERT_TRUE(WriteBytes(program, "MZ full width"));
    ULONGLONG fetched = FileIndex(program);
    EXPECT_EQ(Finish(program, sub + "\\\x82\x60.exe"), 0u);
    EXPECT_EQ(NamesIn(sub, "*.exe"), std::vector<std::string>{"\x82\x60.exe"});
    EXPECT_EQ(ReadBytes(program), "MZ full width");
    EXPECT_NE(FileIndex(program), fetched);
}
} // namespace
