// The watchdog's search and dismissal steps on windows of this thread that log what is posted to
// them and ignore it, like a stubborn child.
#include "framework/Handle.h"
#include "peer/Watchdog.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
std::map<HWND, std::vector<UINT>> g_received;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message != WM_CLOSE && message != WM_COMMAND && message != WM_KEYDOWN)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    g_received[hwnd].push_back(message == WM_COMMAND ? static_cast<UINT>(WM_APP + wParam) : message);
    return 0;
}

std::vector<UINT> Received(HWND window) // once everything posted has been dispatched
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
    return g_received[window];
}

TEST(Watchdog, FindsTheChooserAndDismissesOnlyDialogFramedWindowsOtherThanTheFrame)
{
    g_received.clear();
    std::vector<CWindowHandle> windows;
    auto make = [&](DWORD style, const char* text, HWND parent) {
        windows.emplace_back(
            ::CreateWindowExA(0, "STATIC", text, style, 0, 0, 9, 9, parent, nullptr, nullptr, nullptr));
        ::SetWindowLongPtrA(windows.back().Get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc));
        return windows.back().Get();
    };
    HWND frame = make(WS_POPUP | WS_DLGFRAME, "Kavo Downloader", nullptr);
    HWND question = make(WS_POPUP | WS_DLGFRAME, "question", nullptr);
    HWND plain = make(WS_POPUP, "plain", nullptr);
    HWND chooser = make(WS_POPUP | WS_DLGFRAME, "Browse for Folder", nullptr);
    HWND child = make(WS_CHILD | WS_DLGFRAME, "child", chooser);
    HWND other = make(WS_POPUP | WS_DLGFRAME, "Ordner suchen", nullptr); // the chooser in another language
    make(WS_CHILD, "tree", other);
    const DWORD thread = ::GetCurrentThreadId();

    EXPECT_EQ(FindFolderChooser(thread, nullptr, "Browse for Folder", 1000), chooser);
    EXPECT_EQ(FindFolderChooser(thread, nullptr, "browse for folder", 1000), nullptr); // case matters
    EXPECT_EQ(FindFolderChooser(thread, nullptr, "", 1000), nullptr);
    EXPECT_EQ(FindFolderChooser(thread, other, "Browse for Folder", 1000), other); // the one the chooser saw

    WatchdogTimings timings;
    timings.dismissPassPauseMs = 1;
    timings.maxDismissPasses = 4;
    EXPECT_EQ(DismissChooser(chooser, frame, timings), 4u); // the stubborn child ends the passes at the bound
    EXPECT_EQ(Received(child).size(), 4 * 3u);
    EXPECT_EQ(Received(chooser), (std::vector<UINT>{WM_KEYDOWN, WM_CLOSE}));
    EXPECT_EQ(DismissChooser(other, frame, timings), 1u);

    EXPECT_EQ(DismissThreadDialogs(thread, nullptr), 0); // no frame to tell apart
    EXPECT_TRUE(Received(question).empty());
    EXPECT_EQ(DismissThreadDialogs(thread, frame), 3);
    EXPECT_EQ(Received(question), (std::vector<UINT>{WM_CLOSE, WM_APP + IDYES, WM_APP + IDOK}));
    EXPECT_TRUE(Received(frame).empty() && Received(plain).empty());
}

} // namespace
