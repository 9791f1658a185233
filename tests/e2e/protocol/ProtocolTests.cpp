// The peer protocol where only the real process can show it: real events, work files and
// WM_COPYDATA. The record rules themselves are checked by the unit tests and the soak.
#include "peer/Protocol.h"
#include "tests/e2e/support/DialogPeer.h"
#include "tests/e2e/support/TestPeerSession.h"
#include "tests/support/TestThread.h"

namespace
{
using e2e::CTestPeerSession;
using peerkit::CPeerSession;

constexpr DWORD kWaitMs = 5000; // several one-second ticks

std::vector<std::uint8_t> AttachFile(const CPeerSession& session, bool swapped = false)
{
    const std::uint32_t peer = peerkit::WindowToWire(session.PeerWindow());
    const std::uint32_t reply = peerkit::WindowToWire(session.ReplyWindow());
    return peerkit::EncodeWorkFile(protocol::kCommandAttach, swapped
                                                                 ? peerkit::EncodeAttachRequest(reply, peer)
                                                                 : peerkit::EncodeAttachRequest(peer, reply));
}

// Two signals taken in turn: the tick that took the first has finished with the file.
bool TwoPollsPass(CTestPeerSession& session)
{
    return session.SignalRequest() && session.WaitUntilRequestTaken(kWaitMs) && session.SignalRequest() &&
           session.WaitUntilRequestTaken(kWaitMs);
}

TEST(Attach, RepliesComeFromTheHiddenFrameToTheLatestReplyWindow)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    std::optional<peerkit::Reply> reply = session.Attach(kWaitMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->code, protocol::kReplyAttached);
    EXPECT_TRUE(reply->data.empty() && reply->dataPointerNull);
    EXPECT_EQ(reply->receiver, session.ReplyWindow());
    EXPECT_EQ(reply->sender, session.FindFrameWindow());
    EXPECT_FALSE(::IsWindowVisible(reply->sender));
    // A later command 1 swaps the roles: the peer window now takes the replies.
    ASSERT_TRUE(session.WriteWorkFile(AttachFile(session, true)) && session.SignalRequest());
    reply = session.WaitForReply(kWaitMs);
    EXPECT_TRUE(reply && reply->receiver == session.PeerWindow());
}

// An attach that names HWND_BROADCAST for replies gets none: a broadcast would hand them to every
// top-level window, the peer's own among them. The next attach is answered as before.
TEST(Attach, ABroadcastReplyWindowGetsNothing)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(kWaitMs));
    const std::uint32_t peer = peerkit::WindowToWire(session.PeerWindow());
    const std::uint32_t broadcast = peerkit::WindowToWire(HWND_BROADCAST);
    ASSERT_TRUE(session.WriteWorkFile(peerkit::EncodeWorkFile(
                    protocol::kCommandAttach, peerkit::EncodeAttachRequest(peer, broadcast))) &&
                session.SignalRequest() && session.WaitUntilWorkFileGone(kWaitMs));
    // Commands are handled in turn: once this one is answered, the broadcast attach was handled.
    ASSERT_TRUE(session.WriteWorkFile(AttachFile(session)) && session.SignalRequest());
    std::optional<peerkit::Reply> reply = session.WaitForReply(kWaitMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->receiver, session.ReplyWindow());
    EXPECT_TRUE(session.TakeReplies().empty());
}

TEST(WorkFile, NothingIsReadWhileRequestEventIsMissing)
{
    CTestPeerSession session({true, false}); // no RequestEvent
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.WriteWorkFile(AttachFile(session)));
    session.Pump(2500); // two ticks that find no event
    EXPECT_TRUE(testfiles::FileExists(session.WorkFilePath()));
    EXPECT_TRUE(session.TakeReplies().empty());
    ASSERT_TRUE(session.CreateRequestEvent() && session.SignalRequest());
    EXPECT_TRUE(session.WaitForReply(kWaitMs));
    EXPECT_TRUE(session.WaitUntilWorkFileGone(kWaitMs));
}

// Creation and destruction messages, and command messages, sent to the frame from another process
// change nothing: the assistant goes on serving and ends normally.
TEST(Frame, ForgedMessagesChangeNothing)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch() && session.Attach(kWaitMs));
    const HWND frame = session.FindFrameWindow();
    CREATESTRUCTA forged = {};
    forged.lpCreateParams = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x5A5A5A50));
    forged.lpszName = "forged";
    for (UINT message : {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY})
    {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(frame, message, 0, reinterpret_cast<LPARAM>(&forged), SMTO_ABORTIFHUNG, kWaitMs,
                              &result);
    }
    for (UINT message = protocol::kWmAttachRequest; message <= protocol::kWmFinishRequest; ++message)
        for (WPARAM token : {0, 1, 2, 3})
            ::PostMessageA(frame, message, token, 0);
    const std::uint32_t peer = peerkit::WindowToWire(session.PeerWindow());
    const std::uint32_t replies = peerkit::WindowToWire(session.ReplyWindow());
    ASSERT_TRUE(session.SendCommand(protocol::kCommandAttach, peerkit::EncodeAttachRequest(peer, replies)));
    std::optional<peerkit::Reply> reply = session.WaitForReply(kWaitMs);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->sender, frame);
    EXPECT_TRUE(session.TakeReplies().empty()) << "a forged command was handled";
    session.SignalQuit();
    EXPECT_EQ(session.WaitForExit(kWaitMs), 0u);
}

// A ReplyWindow whose thread stops answering holds the assistant in its reply; once the peer's
// window is gone, the assistant ends itself all the same, with exit code 3.
TEST(Frame, HungReplyWindowDoesNotKeepTheProcessAlive)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    testfiles::CTestEvent created, release;
    HWND replyWindow = nullptr;
    testfiles::CTestThread hung([&] {
        replyWindow = ::CreateWindowExA(0, "STATIC", "hung", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        created.Set();
        release.Wait(60000); // never pumps while the assistant sends
        ::DestroyWindow(replyWindow);
    });
    ASSERT_TRUE(created.Wait());
    ASSERT_TRUE(
        session.SendAttach(peerkit::WindowToWire(session.PeerWindow()), peerkit::WindowToWire(replyWindow)));
    EXPECT_TRUE(session.WaitUntilWorkFileGone(kWaitMs));
    session.DestroyPeerWindow();
    EXPECT_EQ(session.WaitForExit(15000), 3u);
    release.Set();
}

// A file still open for writing stays and is read once it is closed, without another signal; a
// read-only one is read and deleted.
TEST(WorkFile, OpenOrReadOnlyFileIsReadWhenItCanBe)
{
    for (bool readOnly : {false, true})
    {
        CTestPeerSession session({});
        ASSERT_TRUE(session.Launch() && session.WriteWorkFile(AttachFile(session)));
        if (readOnly)
        {
            ASSERT_TRUE(::SetFileAttributesA(session.WorkFilePath().c_str(), FILE_ATTRIBUTE_READONLY));
        }
        else
        {
            // Shared for deletion only, so that nothing but the assistant's own choice keeps the file.
            CFileHandle writing(::CreateFileA(session.WorkFilePath().c_str(), GENERIC_WRITE,
                                              FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(writing && TwoPollsPass(session));
            EXPECT_TRUE(testfiles::FileExists(session.WorkFilePath()) && session.TakeReplies().empty());
        }
        ASSERT_TRUE(!readOnly || session.SignalRequest());
        EXPECT_TRUE(session.WaitForReply(kWaitMs)) << readOnly;
        EXPECT_TRUE(session.WaitUntilWorkFileGone(kWaitMs)) << readOnly;
    }
}

// A signal left standing on a manual-reset event and a command the assistant can read but not delete
// (its writer shares it for reading only): the file is read again once a tick at most, not in a loop.
TEST(WorkFile, UndeletableFileUnderStandingSignalIsReadOncePerTick)
{
    CTestPeerSession session({true, false}); // no RequestEvent
    ASSERT_TRUE(session.Launch() && session.WriteWorkFile(AttachFile(session)));
    CFileHandle reading(::CreateFileA(session.WorkFilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    CHandle standing(::CreateEventA(nullptr, TRUE, TRUE, protocol::kRequestEventName));
    ASSERT_TRUE(reading && standing);
    ASSERT_TRUE(session.WaitForReply(kWaitMs));
    session.Pump(3000);
    EXPECT_LE(session.TakeReplies().size(), 5u); // three or four ticks, with room for a late one
    reading.Reset();
    EXPECT_TRUE(session.WaitUntilWorkFileGone(kWaitMs));
}

// Any window of the desktop may send WM_COPYDATA to the peer's windows and rewrite their storage:
// the kit takes a reply only from the launched assistant's frame, with a code and size it sends.
TEST(Kit, TakesRepliesOnlyFromTheFrameInTheirShapes)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch() && session.Attach(kWaitMs));
    const HWND frame = session.FindFrameWindow();
    CWindowHandle lookalike(::CreateWindowExA(0, "STATIC", protocol::kFrameWindowText, 0, 0, 0, 0, 0,
                                              HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(frame && lookalike);
    ::SetWindowLongPtrA(session.ReplyWindow(), GWLP_USERDATA, 0x5A5A5A50);
    const ULONG_PTR highBitAndTwo = ULONG_PTR{2} | (ULONG_PTR{1} << (sizeof(ULONG_PTR) * 8 - 1));
    const std::string four(4, '\0');
    struct Row
    {
        const char* name;
        HWND sender;
        ULONG_PTR code;
        std::string data;
        bool taken;
    };
    const Row rows[] = {
        {"the peer's own window", session.PeerWindow(), 2, four, false},
        {"no sender", nullptr, 2, four, false},
        {"a frame of another process", lookalike.Get(), 2, four, false},
        {"an unknown code", frame, 5, "", false},
        {"a code wider than 32 bits", frame, highBitAndTwo, four, false},
        {"reply 1 with data", frame, 1, "x", false},
        {"reply 2 short", frame, 2, "\0\0\0", false},
        {"reply 4 long", frame, 4, four + '\0', false},
        {"reply 3 without its terminator", frame, 3, "C:\\d", false},
        {"reply 3 with an empty path", frame, 3, std::string(1, '\0'), false},
        {"reply 3", frame, 3, std::string("C:\\d\0", 5), true},
        {"reply 2", frame, 2, four, true},
    };
    for (const Row& row : rows)
    {
        std::string data = row.data;
        COPYDATASTRUCT copyData = {row.code, static_cast<DWORD>(data.size()), data.empty() ? nullptr : &data[0]};
        const LRESULT taken = ::SendMessageA(session.ReplyWindow(), WM_COPYDATA, reinterpret_cast<WPARAM>(row.sender),
                                             reinterpret_cast<LPARAM>(&copyData));
        EXPECT_EQ(taken != 0, row.taken) << row.name;
        EXPECT_EQ(session.TakeReplies().size(), row.taken ? 1u : 0u) << row.name;
    }
}
} // namespace
