// Worker threads as framework thread objects. The object deletes itself when its thread ends,
// unless m_bAutoDelete was cleared first (start the thread CREATE_SUSPENDED to do that safely).
#pragma once

#include "framework/Handle.h"

#include <windows.h>

class CFrameWnd;

using AFX_THREADPROC = UINT (*)(LPVOID);

class CWinThread
{
  public:
    CWinThread(AFX_THREADPROC proc, LPVOID param) noexcept : m_pfnThreadProc(proc), m_pThreadParams(param) {}
    virtual ~CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    DWORD ResumeThread() noexcept { return ::ResumeThread(m_hThread.Get()); }

    CHandle m_hThread;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    // The application's main window when the thread was started: a worker thread's main window.
    CFrameWnd* m_pMainWnd = nullptr;

  private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD,
                                      LPSECURITY_ATTRIBUTES) noexcept;
    static unsigned __stdcall Entry(void* self) noexcept;

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Null when the thread cannot be created.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0,
                           LPSECURITY_ATTRIBUTES security = nullptr) noexcept;
