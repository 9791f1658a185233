// The peer protocol end to end: the real assistant, real events, work files and WM_COPYDATA.
#include "framework/Handle.h"
#include "peer/Protocol.h"
#include "peerkit/PeerSession.h"
#include "tests/e2e/support/E2eSupport.h"

#include <gtest/gtest.h>

namespace
{
using peerkit::CPeerSession;
using peerkit::SessionOptions;
using Bytes = std::vector<std::uint8_t>;

constexpr DWORD kTick = 1000;
constexpr DWORD kReplyWait = 3 * kTick;

Bytes Command(std::uint32_t code, const Bytes& payload)
{
    Bytes bytes;
    peerkit::AppendUInt32(bytes, code);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Bytes AttachRecord(HWND peer, HWND reply)
{
    Bytes record;
    peerkit::AppendUInt32(record, 12);
    peerkit::AppendUInt32(record, peerkit::WindowToWire(peer));
    peerkit::AppendUInt32(record, peerkit::WindowToWire(reply));
    return record;
}

// Two signals taken in turn: the tick that took the first has finished with the file.
void WaitForTwoPolls(CPeerSession& session)
{
    ASSERT_TRUE(session.SignalRequest());
    ASSERT_TRUE(session.WaitUntilRequestTaken(kReplyWait));
    ASSERT_TRUE(session.SignalRequest());
    ASSERT_TRUE(session.WaitUntilRequestTaken(kReplyWait));
}

void ExpectEndsCleanly(CPeerSession& session)
{
    session.SignalQuit();
    std::optional<DWORD> exitCode = session.WaitForExit(5000);
    ASSERT_TRUE(exitCode);
    EXPECT_EQ(*exitCode, 0u);
}

TEST(Attach, ReplyOneComesFromTheHiddenFrameToReplyWindow)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    std::optional<peerkit::Reply> reply = session.Attach(5000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->code, protocol::kReplyAttached);
    EXPECT_TRUE(reply->data.empty());
    EXPECT_TRUE(reply->dataPointerNull);
    EXPECT_EQ(reply->receiver, session.ReplyWindow());
    EXPECT_NE(reply->receiver, session.PeerWindow());

    HWND frame = reply->sender;
    EXPECT_EQ(frame, session.FindFrameWindow());
    char text[64] = {};
    ::GetWindowTextA(frame, text, sizeof text);
    EXPECT_STREQ(text, "Kavo Downloader");
    EXPECT_FALSE(::IsWindowVisible(frame));
    ExpectEndsCleanly(session);
}

TEST(Attach, LaterCommandOneReplacesBothWindowsAndIsAnsweredAgain)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(5000));
    // Swap the roles: the peer window now takes the replies.
    ASSERT_TRUE(session.SendCommand(protocol::kCommandAttach,
                                    AttachRecord(session.ReplyWindow(), session.PeerWindow())));
    std::optional<peerkit::Reply> reply = session.WaitForReply(kReplyWait);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->receiver, session.PeerWindow());
    EXPECT_FALSE(::IsWindowVisible(reply->sender));
    ExpectEndsCleanly(session);
}

TEST(Attach, RecordShorterThanTwelveBytesChangesNothingAndGetsNoReply)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(5000));
    Bytes shortRecord = AttachRecord(session.PeerWindow(), session.PeerWindow());
    shortRecord.resize(8);
    ASSERT_TRUE(session.SendCommand(protocol::kCommandAttach, shortRecord));
    ASSERT_TRUE(session.WaitUntilWorkFileGone(kReplyWait));
    // Replies still go to the ReplyWindow of the last whole command 1.
    ASSERT_TRUE(session.SendCommand(protocol::kCommandAttach,
                                    AttachRecord(session.PeerWindow(), session.ReplyWindow())));
    std::optional<peerkit::Reply> reply = session.WaitForReply(kReplyWait);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->receiver, session.ReplyWindow());
    EXPECT_TRUE(session.TakeReplies().empty());
    ExpectEndsCleanly(session);
}

TEST(Commands, ShortDownloadAndFinishRecordsGetNoReply)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(5000));
    const Bytes shortRecords[] = {Bytes(), Bytes{0x24, 0x05}, Bytes{0x24, 0x05, 0, 0, 1, 0, 0, 0}};
    for (const Bytes& record : shortRecords)
    {
        for (std::uint32_t code : {protocol::kCommandDownload, protocol::kCommandFinish})
        {
            ASSERT_TRUE(session.SendCommand(code, record));
            ASSERT_TRUE(session.WaitUntilWorkFileGone(kReplyWait));
        }
    }
    ASSERT_TRUE(session.Attach(kReplyWait));
    EXPECT_TRUE(session.TakeReplies().empty());
    ExpectEndsCleanly(session);
}

TEST(WorkFile, NothingIsReadWhileRequestEventIsMissing)
{
    SessionOptions options;
    options.createRequestEvent = false;
    CPeerSession session(options);
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.WriteWorkFile(Command(1, AttachRecord(session.PeerWindow(), session.ReplyWindow()))));
    session.Pump(2 * kTick + 500);
    EXPECT_TRUE(e2e::FileExists(session.WorkFilePath()));
    EXPECT_TRUE(session.TakeReplies().empty());

    ASSERT_TRUE(session.CreateRequestEvent());
    ASSERT_TRUE(session.SignalRequest());
    EXPECT_TRUE(session.WaitForReply(kReplyWait));
    EXPECT_FALSE(e2e::FileExists(session.WorkFilePath()));
    ExpectEndsCleanly(session);
}

TEST(WorkFile, SignalWithoutAFileIsTakenAndNothingElseHappens)
{
    CPeerSession session;
    ::DeleteFileA(session.WorkFilePath().c_str());
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.SignalRequest());
    ASSERT_TRUE(session.WaitUntilRequestTaken(kReplyWait));
    EXPECT_TRUE(session.Attach(kReplyWait));
    ExpectEndsCleanly(session);
}

TEST(WorkFile, NoCommandStaysInPlaceAndIsNotPosted)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(5000));
    const Bytes noCommands[] = {Bytes(), Bytes{4, 0, 0, 0, 1, 2}, Bytes{0xFF, 0xFF, 0xFF, 0xFF},
                                Bytes{0, 0, 0, 0}};
    for (const Bytes& bytes : noCommands)
    {
        ASSERT_TRUE(session.WriteWorkFile(bytes));
        WaitForTwoPolls(session);
        EXPECT_TRUE(e2e::FileExists(session.WorkFilePath())) << bytes.size();
        EXPECT_EQ(e2e::ReadBytes(session.WorkFilePath()), std::string(bytes.begin(), bytes.end()));
    }
    EXPECT_TRUE(session.TakeReplies().empty());
    ExpectEndsCleanly(session);
}

TEST(WorkFile, OneToThreeBytesWithAValidCodeAreDeletedWithoutEffect)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(5000));
    const Bytes partial[] = {Bytes{1}, Bytes{2, 0}, Bytes{3, 0, 0}};
    for (const Bytes& bytes : partial)
    {
        ASSERT_TRUE(session.WriteWorkFile(bytes));
        ASSERT_TRUE(session.SignalRequest());
        EXPECT_TRUE(session.WaitUntilWorkFileGone(kReplyWait)) << bytes.size();
    }
    EXPECT_TRUE(session.TakeReplies().empty());
    ExpectEndsCleanly(session);
}

TEST(WorkFile, ReadOnlyWorkFileIsReadThenDeleted)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.WriteWorkFile(Command(1, AttachRecord(session.PeerWindow(), session.ReplyWindow()))));
    ASSERT_TRUE(::SetFileAttributesA(session.WorkFilePath().c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(session.SignalRequest());
    EXPECT_TRUE(session.WaitForReply(kReplyWait));
    EXPECT_TRUE(session.WaitUntilWorkFileGone(kReplyWait));
    ExpectEndsCleanly(session);
}

TEST(WorkFile, FileStillOpenForWritingStaysAndIsReadAtTheNextSignal)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    Bytes attach = Command(1, AttachRecord(session.PeerWindow(), session.ReplyWindow()));
    {
        // Shared for deletion only, so that nothing but the assistant's own choice keeps the file.
        CFileHandle writing(::CreateFileA(session.WorkFilePath().c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(writing);
        DWORD written = 0;
        ASSERT_TRUE(
            ::WriteFile(writing.Get(), attach.data(), static_cast<DWORD>(attach.size()), &written, nullptr));
        // Both polls find the file open; the first has finished once the second took its signal.
        WaitForTwoPolls(session);
    }
    EXPECT_TRUE(e2e::FileExists(session.WorkFilePath()));
    EXPECT_TRUE(session.TakeReplies().empty());
    ASSERT_TRUE(session.SignalRequest());
    EXPECT_TRUE(session.WaitForReply(kReplyWait));
    EXPECT_TRUE(session.WaitUntilWorkFileGone(kReplyWait));
    ExpectEndsCleanly(session);
}

TEST(WorkFolder, WindowsSevenReadsOnlyTheLowIntegrityFolder)
{
    CPeerSession session;
    ASSERT_EQ(session.WorkFolder(), CPeerSession::FindWorkFolder(peerkit::WorkFolderKind::LowTemp));
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(5000));

    std::string ordinary =
        CPeerSession::FindWorkFolder(peerkit::WorkFolderKind::OrdinaryTemp) + "dlcwork.tmp";
    Bytes attach = Command(1, AttachRecord(session.PeerWindow(), session.ReplyWindow()));
    ASSERT_TRUE(e2e::WriteBytes(ordinary, std::string(attach.begin(), attach.end())));
    WaitForTwoPolls(session);
    EXPECT_TRUE(e2e::FileExists(ordinary));
    EXPECT_TRUE(session.TakeReplies().empty());
    ::DeleteFileA(ordinary.c_str());
    ExpectEndsCleanly(session);
}

TEST(WorkFolder, WindowsXpReadsOnlyTheOrdinaryTemporaryFolder)
{
    e2e::CXpModeScope xp;
    SessionOptions options;
    options.workFolder = peerkit::WorkFolderKind::OrdinaryTemp;
    CPeerSession session(options);
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(5000));

    std::string low = CPeerSession::FindWorkFolder(peerkit::WorkFolderKind::LowTemp) + "dlcwork.tmp";
    Bytes attach = Command(1, AttachRecord(session.PeerWindow(), session.ReplyWindow()));
    ASSERT_TRUE(e2e::WriteBytes(low, std::string(attach.begin(), attach.end())));
    WaitForTwoPolls(session);
    EXPECT_TRUE(e2e::FileExists(low));
    EXPECT_TRUE(session.TakeReplies().empty());
    ::DeleteFileA(low.c_str());
    ExpectEndsCleanly(session);
}
} // namespace
