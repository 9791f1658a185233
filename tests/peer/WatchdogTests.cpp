#include "framework/Handle.h"
#include "peer/Protocol.h"
#include "peer/Watchdog.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace
{
// Windows of this thread that record what is posted to them.
class CRecordedWindows
{
  public:
    CRecordedWindows()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &CRecordedWindows::Proc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "DaRecordedWindow";
        ::RegisterClassA(&wc);
    }
    ~CRecordedWindows()
    {
        for (HWND window : m_windows)
            ::DestroyWindow(window);
        Log().clear();
    }

    HWND Make(DWORD style, const char* text, HWND parent = nullptr)
    {
        HWND window = ::CreateWindowExA(0, "DaRecordedWindow", text, style, 0, 0, 10, 10, parent, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr);
        m_windows.push_back(window);
        return window;
    }

    static std::vector<UINT> Received(HWND window)
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        return Log()[window];
    }

  private:
    static std::map<HWND, std::vector<UINT>>& Log()
    {
        static std::map<HWND, std::vector<UINT>> log;
        return log;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        if (message == WM_CLOSE || message == WM_COMMAND || message == WM_KEYDOWN)
        {
            Log()[hwnd].push_back(message == WM_COMMAND ? static_cast<UINT>(WM_APP + wParam) : message);
            return 0; // ignores every dismissal, like a stubborn child
        }
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }

    std::vector<HWND> m_windows;
};

const std::vector<UINT> kDismissal = {WM_CLOSE, WM_APP + IDYES, WM_APP + IDOK};

TEST(WatchdogDismissal, OnlyDialogFramedWindowsOtherThanTheFrame)
{
    CRecordedWindows windows;
    HWND frame = windows.Make(WS_POPUP | WS_DLGFRAME, "Kavo Downloader");
    HWND dialog = windows.Make(WS_POPUP | WS_DLGFRAME, "question");
    HWND plain = windows.Make(WS_POPUP, "plain");

    EXPECT_EQ(DismissThreadDialogs(::GetCurrentThreadId(), frame), 1);
    EXPECT_EQ(CRecordedWindows::Received(dialog), kDismissal);
    EXPECT_TRUE(CRecordedWindows::Received(frame).empty());
    EXPECT_TRUE(CRecordedWindows::Received(plain).empty());
}

TEST(WatchdogDismissal, NoFrameToCompareWithTouchesNothing)
{
    CRecordedWindows windows;
    HWND dialog = windows.Make(WS_POPUP | WS_DLGFRAME, "question");
    EXPECT_EQ(DismissThreadDialogs(::GetCurrentThreadId(), nullptr), 0);
    EXPECT_TRUE(CRecordedWindows::Received(dialog).empty());
}

TEST(WatchdogDismissal, StubbornChildEndsThePassesAtTheBound)
{
    CRecordedWindows windows;
    HWND frame = windows.Make(WS_POPUP, "Kavo Downloader");
    HWND chooser = windows.Make(WS_POPUP | WS_DLGFRAME, "Browse for Folder");
    HWND child = windows.Make(WS_CHILD | WS_DLGFRAME, "child", chooser);

    WatchdogTimings timings;
    timings.dismissPassPauseMs = 1;
    timings.maxDismissPasses = 4;
    EXPECT_EQ(DismissChooser(chooser, frame, timings), 4u);
    std::vector<UINT> childGot = CRecordedWindows::Received(child);
    EXPECT_EQ(childGot.size(), 4 * kDismissal.size());
    EXPECT_EQ(CRecordedWindows::Received(chooser), (std::vector<UINT>{WM_KEYDOWN, WM_CLOSE}));
}

TEST(WatchdogDismissal, ChooserWithoutDialogChildrenTakesOnePass)
{
    CRecordedWindows windows;
    HWND frame = windows.Make(WS_POPUP, "Kavo Downloader");
    HWND chooser = windows.Make(WS_POPUP | WS_DLGFRAME, "Browse for Folder");
    windows.Make(WS_CHILD, "tree", chooser);
    WatchdogTimings timings;
    timings.dismissPassPauseMs = 1;
    EXPECT_EQ(DismissChooser(chooser, frame, timings), 1u);
}

TEST(WatchdogFindChooser, ByCaptionOrByTheDialogTheChooserReported)
{
    CRecordedWindows windows;
    windows.Make(WS_POPUP, "Kavo Downloader");
    HWND english = windows.Make(WS_POPUP | WS_DLGFRAME, "Browse for Folder");
    HWND other = windows.Make(WS_POPUP | WS_DLGFRAME, "Ordner suchen");
    DWORD thread = ::GetCurrentThreadId();

    EXPECT_EQ(FindFolderChooser(thread, nullptr, "Browse for Folder", 100), english);
    // Case matters, and an empty caption matches nothing.
    EXPECT_EQ(FindFolderChooser(thread, nullptr, "browse for folder", 100), nullptr);
    EXPECT_EQ(FindFolderChooser(thread, nullptr, "", 100), nullptr);
    // A caption in another language is found through the dialog the chooser saw open.
    EXPECT_EQ(FindFolderChooser(thread, other, "Browse for Folder", 100), other);
}

// A UI thread that answers no message (it waits for the watchdog in the frame's destructor)
// must not hold the chooser search for longer than the query's bound.
TEST(WatchdogFindChooser, HungUiThreadDoesNotHangTheSearch)
{
    CHandle release(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    CHandle created(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    struct Context
    {
        HANDLE created;
        HANDLE release;
        DWORD threadId;
    } context{created.Get(), release.Get(), 0};
    auto hungThread = [](LPVOID param) -> DWORD {
        auto* c = static_cast<Context*>(param);
        HWND window = ::CreateWindowExA(0, "STATIC", "not the chooser", WS_POPUP | WS_DLGFRAME, 0, 0, 1, 1,
                                        nullptr, nullptr, nullptr, nullptr);
        c->threadId = ::GetCurrentThreadId();
        ::SetEvent(c->created);
        ::WaitForSingleObject(c->release, INFINITE);
        ::DestroyWindow(window);
        return 0;
    };
    CHandle thread(::CreateThread(nullptr, 0, hungThread, &context, 0, nullptr));
    ASSERT_EQ(::WaitForSingleObject(created.Get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));

    ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(FindFolderChooser(context.threadId, nullptr, "Browse for Folder", 300), nullptr);
    EXPECT_LT(::GetTickCount64() - start, 3000u);
    ::SetEvent(release.Get());
    ::WaitForSingleObject(thread.Get(), 5000);
}

TEST(StopFlag, SetEvenWhenStopMutexNameIsTakenByAnEvent)
{
    CHandle squatter(::CreateEventA(nullptr, TRUE, FALSE, protocol::kStopMutexName));
    ASSERT_TRUE(squatter);
    std::atomic<BOOL> stop{FALSE};
    SetStopFlagUnderStopMutex(stop);
    EXPECT_TRUE(stop.load());
}

TEST(StopFlag, SetUnderTheMutexWhenItIsFree)
{
    std::atomic<BOOL> stop{FALSE};
    SetStopFlagUnderStopMutex(stop);
    EXPECT_TRUE(stop.load());
    // Released again: another taker gets it at once.
    CHandle mutex(::CreateMutexA(nullptr, FALSE, protocol::kStopMutexName));
    ASSERT_TRUE(mutex);
    EXPECT_EQ(::WaitForSingleObject(mutex.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    ::ReleaseMutex(mutex.Get());
}
} // namespace
