// How long the assistant lives: each way the peer can end it. An attached assistant whose
// PeerWindow lives would run for ever, so generous bounds still tell an end from none; only the
// five-cycle count without a PeerWindow is timed, with a margin of two cycles either way.
#include "tests/e2e/support/DialogPeer.h"
#include "tests/e2e/support/TestPeerSession.h"

#include <chrono>

namespace
{
using peerkit::CPeerSession;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(Lifetime, EveryWayThePeerEndsItEndsItWithCodeZero)
{
    struct
    {
        const char* name;
        bool quitEvent; // created before the start
        bool quitFirst; // signalled before the start: the assistant waits for command 1 all the same
        void (*end)(CPeerSession&, HWND frame);
    } const rows[] = {
        {"QuitEvent", true, false, [](CPeerSession& s, HWND) { s.SignalQuit(); }},
        {"PeerWindow destroyed", true, false, [](CPeerSession& s, HWND) { s.DestroyPeerWindow(); }},
        {"WM_CLOSE from outside", true, false,
         [](CPeerSession&, HWND frame) { ::PostMessageA(frame, WM_CLOSE, 0, 0); }},
        {"no QuitEvent at the start", false, false, [](CPeerSession&, HWND) {}},
        {"QuitEvent before command 1", true, true, [](CPeerSession&, HWND) {}},
    };
    for (const auto& row : rows)
    {
        e2e::CTestPeerSession session({row.quitEvent, true});
        if (row.quitFirst)
            session.SignalQuit();
        ASSERT_TRUE(session.Launch()) << row.name;
        if (row.quitFirst)
        {
            session.Pump(2500);
            EXPECT_TRUE(session.IsRunning()) << row.name;
        }
        // Without QuitEvent the assistant may end before it reads command 1.
        std::optional<peerkit::Reply> reply = session.Attach(e2e::kWaitMs);
        ASSERT_TRUE(reply || !row.quitEvent) << row.name;
        row.end(session, reply ? reply->sender : nullptr);
        EXPECT_EQ(session.WaitForExit(e2e::kWaitMs), 0u) << row.name;
    }
}

// Five cycles without a PeerWindow end it; command 1 naming none resumes the count where it
// stood. Attached after about three cycles, a count started afresh would give eight in all.
TEST(Lifetime, FiveCyclesWithoutPeerWindowInAllEndIt)
{
    CPeerSession unattached;
    Clock::time_point start = Clock::now();
    ASSERT_TRUE(unattached.Launch());
    EXPECT_EQ(unattached.WaitForExit(e2e::kWaitMs), 0u);
    EXPECT_GE(SecondsSince(start), 4.5);

    CPeerSession session;
    start = Clock::now();
    ASSERT_TRUE(session.Launch());
    session.Pump(3300);
    ASSERT_TRUE(session.Attach(e2e::kWaitMs));
    double withoutPeerWindow = SecondsSince(start);
    session.Pump(2000);
    ASSERT_TRUE(session.IsRunning());
    ASSERT_TRUE(session.SendAttach(0, peerkit::WindowToWire(session.ReplyWindow())));
    ASSERT_TRUE(session.WaitForReply(e2e::kWaitMs));
    start = Clock::now();
    EXPECT_EQ(session.WaitForExit(e2e::kWaitMs), 0u);
    withoutPeerWindow += SecondsSince(start);
    EXPECT_GE(withoutPeerWindow, 3.5);
    EXPECT_LE(withoutPeerWindow, 7.0);
}
} // namespace
