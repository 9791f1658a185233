// How long the assistant lives: each way the peer can end it, checked against windows of time
// derived from the one-second watchdog cycle and timer tick.
#include "peer/Protocol.h"
#include "peerkit/PeerSession.h"
#include "tests/e2e/support/E2eSupport.h"

#include <gtest/gtest.h>

#include <chrono>

namespace
{
using peerkit::CPeerSession;
using peerkit::SessionOptions;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Waits for the exit, expects code 0, and returns the seconds from start to the exit.
double ExpectExitWithCodeZero(CPeerSession& session, Clock::time_point start, DWORD timeoutMs = 12000)
{
    std::optional<DWORD> exitCode = session.WaitForExit(timeoutMs);
    double seconds = SecondsSince(start);
    EXPECT_TRUE(exitCode) << "still running after " << seconds << " s";
    if (exitCode)
    {
        EXPECT_EQ(*exitCode, 0u);
    }
    return seconds;
}

std::vector<std::uint8_t> AttachRecord(HWND peer, HWND reply)
{
    std::vector<std::uint8_t> record;
    peerkit::AppendUInt32(record, 12);
    peerkit::AppendUInt32(record, peerkit::WindowToWire(peer));
    peerkit::AppendUInt32(record, peerkit::WindowToWire(reply));
    return record;
}

TEST(Lifetime, WithoutCommandOneItEndsByItselfAfterFiveCycles)
{
    CPeerSession session;
    Clock::time_point start = Clock::now();
    ASSERT_TRUE(session.Launch());
    double seconds = ExpectExitWithCodeZero(session, start);
    EXPECT_GE(seconds, 4.5);
    EXPECT_LE(seconds, 7.5);
}

TEST(Lifetime, QuitEventAfterCommandOneEndsItWithinThreeSeconds)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(5000));
    Clock::time_point signalled = Clock::now();
    session.SignalQuit();
    EXPECT_LE(ExpectExitWithCodeZero(session, signalled), 3.2);
}

TEST(Lifetime, PeerWindowDestroyedEndsItWithinThreeSeconds)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    ASSERT_TRUE(session.Attach(5000));
    Clock::time_point destroyed = Clock::now();
    session.DestroyPeerWindow();
    EXPECT_LE(ExpectExitWithCodeZero(session, destroyed), 3.2);
}

TEST(Lifetime, MissingQuitEventAtStartEndsItWithinThreeSeconds)
{
    SessionOptions options;
    options.createQuitEvent = false;
    CPeerSession session(options);
    Clock::time_point start = Clock::now();
    ASSERT_TRUE(session.Launch());
    EXPECT_LE(ExpectExitWithCodeZero(session, start), 3.2);
}

TEST(Lifetime, QuitEventBeforeCommandOneWaitsForCommandOne)
{
    CPeerSession session;
    session.SignalQuit();
    ASSERT_TRUE(session.Launch());
    session.Pump(2500);
    ASSERT_TRUE(session.IsRunning());
    ASSERT_TRUE(session.Attach(3000));
    Clock::time_point attached = Clock::now();
    EXPECT_LE(ExpectExitWithCodeZero(session, attached), 3.2);
}

TEST(Lifetime, CommandOneWithoutPeerWindowResumesTheCountWhereItStood)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    session.Pump(2300); // about two cycles without a PeerWindow
    ASSERT_TRUE(session.Attach(3000));
    session.Pump(2000);
    ASSERT_TRUE(session.IsRunning());
    ASSERT_TRUE(session.SendCommand(protocol::kCommandAttach, AttachRecord(nullptr, session.ReplyWindow())));
    ASSERT_TRUE(session.WaitForReply(3000));
    Clock::time_point detached = Clock::now();
    // Three more cycles end it; a count started afresh would need five.
    double seconds = ExpectExitWithCodeZero(session, detached);
    EXPECT_GE(seconds, 1.5);
    EXPECT_LE(seconds, 4.6);
}

TEST(Lifetime, CloseSentFromOutsideWhileTheWatchdogRunsEndsWithCodeZero)
{
    CPeerSession session;
    ASSERT_TRUE(session.Launch());
    std::optional<peerkit::Reply> reply = session.Attach(5000);
    ASSERT_TRUE(reply);
    Clock::time_point closed = Clock::now();
    ::PostMessageA(reply->sender, WM_CLOSE, 0, 0);
    EXPECT_LE(ExpectExitWithCodeZero(session, closed), 3.2);
}
} // namespace
