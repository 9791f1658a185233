#include "framework/WinApp.h"

#include "framework/Exceptions.h"
#include "framework/FrameWnd.h"

namespace
{
CWinApp* g_pApp = nullptr;

// The main window gone ends the message loop.
void OnWindowGone(CFrameWnd* frame)
{
    if (g_pApp && g_pApp->m_pMainWnd == frame)
    {
        g_pApp->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
}
} // namespace

CWinApp::CWinApp() noexcept
{
    g_pApp = this;
    CFrameWnd::SetWindowGoneHandler(&OnWindowGone);
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

int AfxWinMain() noexcept
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    BOOL started = FALSE;
    if (!RunAtEdge([&] { started = app->InitInstance(); }) || !started)
        return 1;
    int exitCode = 1;
    RunAtEdge([&] { exitCode = app->Run(); });
    return exitCode;
}
