#include "framework/WinApp.h"

#include "framework/Exceptions.h"
#include "framework/FrameWnd.h"

#include <vector>

namespace
{
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp() noexcept
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

int CWinApp::Run()
{
    MSG msg;
    for (;;)
    {
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        HANDLE handle = m_pMainWnd ? m_pMainWnd->LoopWaitHandle() : nullptr;
        const DWORD count = handle ? 1 : 0;
        const DWORD woken =
            ::MsgWaitForMultipleObjectsEx(count, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (count && woken == WAIT_OBJECT_0 && m_pMainWnd)
            RunAtEdge([&] { m_pMainWnd->OnWaitSignalled(); });
        else if (woken == WAIT_FAILED && !WaitForMessage(msg))
            return static_cast<int>(msg.wParam);
    }
}

bool CWinApp::WaitForMessage(MSG& msg)
{
    // A wait that fails must not turn the loop into a spin: block on the queue alone instead.
    BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0)
        return false;
    if (got == -1)
    {
        msg.wParam = static_cast<WPARAM>(-1);
        return false;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
    return true;
}

CWinApp* AfxGetApp() noexcept
{
    return g_pApp;
}

int AfxWinMain(HINSTANCE instance) noexcept
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = instance;
    BOOL started = FALSE;
    if (!RunAtEdge([&] { started = app->InitInstance(); }) || !started)
        return 1;
    int exitCode = 1;
    RunAtEdge([&] { exitCode = app->Run(); });
    return exitCode;
}

std::string AfxLoadString(UINT id)
{
    // A string-table entry holds at most 4097 characters; two bytes each covers any ANSI page.
    std::vector<char> buffer(2 * 4097 + 1);
    HINSTANCE instance = AfxGetApp() ? AfxGetApp()->m_hInstance : ::GetModuleHandleA(nullptr);
    int length = ::LoadStringA(instance, id, buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 0)
        return std::string();
    return std::string(buffer.data(), static_cast<size_t>(length));
}
