// Frames under hostile conditions: a timer that cannot be made, window storage rewritten by another process.
#include "app/MainFrame.h"
#include "framework/FrameWnd.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

namespace
{
class CTimerlessFrame : public CMainFrame
{
  public:
    explicit CTimerlessFrame(bool& destroyed) : CMainFrame(SettingsNames{}), m_destroyed(destroyed) {}
    ~CTimerlessFrame() override { m_destroyed = true; }

  protected:
    UINT_PTR StartTimer() override { return 0; }

  private:
    bool& m_destroyed;
};

TEST(MainFrame, FailingTimerFailsTheStartAndDeletesTheFrame)
{
    bool destroyed = false;
    auto* frame = new CTimerlessFrame(destroyed);
    EXPECT_FALSE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr));
    EXPECT_TRUE(destroyed); // the half-made window went, and the frame with it once its watchdog ended
}

// A frame that counts the messages of one kind it is given and says when it is gone.
class CCountingFrame : public CFrameWnd
{
  public:
    explicit CCountingFrame(bool& destroyed) : m_destroyed(destroyed) {}
    ~CCountingFrame() override { m_destroyed = true; }
    int m_count = 0;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP)
            ++m_count;
        return CFrameWnd::WindowProc(message, wParam, lParam);
    }

  private:
    bool& m_destroyed;
};

// Another process can rewrite the window's own storage: the frame must still take its messages.
TEST(FrameWnd, ForeignWindowStorageNeitherMisroutesNorCrashes)
{
    bool otherDestroyed = false;
    auto* other = new CCountingFrame(otherDestroyed);
    ASSERT_TRUE(other->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr));
    const LONG_PTR storedValues[] = {reinterpret_cast<LONG_PTR>(other), 0x10, -1};
    for (LONG_PTR stored : storedValues)
    {
        bool destroyed = false;
        auto* frame = new CCountingFrame(destroyed);
        ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr));
        HWND hwnd = frame->m_hWnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, stored);
        ::SendMessageA(hwnd, WM_NULL, 0, 0);
        ::SendMessageA(hwnd, WM_APP, 0, 0);
        EXPECT_EQ(frame->m_count, 1) << stored;
        ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
        EXPECT_TRUE(destroyed) << stored;
        EXPECT_FALSE(::IsWindow(hwnd)) << stored;
    }
    EXPECT_EQ(other->m_count, 0);
    ::SendMessageA(other->m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(otherDestroyed);
}
} // namespace
