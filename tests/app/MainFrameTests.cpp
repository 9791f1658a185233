#include "app/MainFrame.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

namespace
{
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

// Records its own destruction, and can be told that the timer cannot be made.
class CTestFrame : public CMainFrame
{
  public:
    CTestFrame(bool timerFails, bool& destroyed) : m_timerFails(timerFails), m_destroyed(destroyed) {}
    ~CTestFrame() override { m_destroyed = true; }

  protected:
    UINT_PTR StartTimer() override { return m_timerFails ? 0 : CMainFrame::StartTimer(); }

  private:
    bool m_timerFails;
    bool& m_destroyed;
};

bool PumpUntil(const bool& done, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!done && ::GetTickCount64() < deadline)
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
                continue;
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return done;
}

TEST(MainFrame, FailingTimerFailsTheStartInsteadOfLeavingAFrameThatNeverEnds)
{
    bool destroyed = false;
    auto* frame = new CTestFrame(true, destroyed);
    EXPECT_FALSE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr));
    // The half-made window was destroyed, which deleted the frame after its watchdog had ended.
    EXPECT_TRUE(destroyed);
}

TEST(MainFrame, HiddenFrameTitledForThePeerClosesOnceTheWatchdogHasEnded)
{
    // No QuitEvent exists in this process's world, so the watchdog ends at once.
    bool destroyed = false;
    auto* frame = new CTestFrame(false, destroyed);
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr));
    HWND window = frame->m_hWnd;
    char text[64] = {};
    ::GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "Kavo Downloader");
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(::GetWindowLongA(window, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_EQ(::GetParent(window), nullptr);
    EXPECT_TRUE(PumpUntil(destroyed, 5000));
    EXPECT_FALSE(::IsWindow(window));
}
} // namespace
