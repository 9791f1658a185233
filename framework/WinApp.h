// The application object: one per process, runs InitInstance and then the message loop.
#pragma once

#include <windows.h>

class CFrameWnd;

class CWinApp
{
  public:
    CWinApp() noexcept;
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    // Pumps messages until WM_QUIT and returns its exit code. Between messages it also waits on
    // the main frame's LoopWaitHandle, so that the frame hears of a signal without a timer.
    virtual int Run();

    CFrameWnd* m_pMainWnd = nullptr;

  private:
    // One message handled; false once WM_QUIT (or an error) ends the loop.
    static bool WaitForMessage(MSG& msg);
};

CWinApp* AfxGetApp() noexcept;

// Called from WinMain: InitInstance, then the loop. A FALSE InitInstance ends the process. The
// framework's window classes and strings are the executable's own, so WinMain's instance is not needed.
int AfxWinMain() noexcept;
