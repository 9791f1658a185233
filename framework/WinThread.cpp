#include "framework/WinThread.h"

#include "framework/WinApp.h"

#include <process.h>

#include <new>

unsigned __stdcall CWinThread::Entry(void* self) noexcept
{
    auto* thread = static_cast<CWinThread*>(self);
    UINT exitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
    if (thread->m_bAutoDelete)
        delete thread;
    return exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD createFlags,
                           LPSECURITY_ATTRIBUTES security) noexcept
{
    auto* thread = new (std::nothrow) CWinThread(proc, param);
    if (!thread)
        return nullptr;
    if (CWinApp* app = AfxGetApp())
        thread->m_pMainWnd = app->m_pMainWnd;
    unsigned id = 0;
    // Always start suspended so the priority is set before any of the procedure runs.
    uintptr_t handle =
        ::_beginthreadex(security, stackSize, &CWinThread::Entry, thread, CREATE_SUSPENDED, &id);
    if (handle == 0)
    {
        delete thread;
        return nullptr;
    }
    thread->m_hThread.Reset(reinterpret_cast<HANDLE>(handle));
    thread->m_nThreadID = id;
    ::SetThreadPriority(thread->m_hThread.Get(), priority);
    if (!(createFlags & CREATE_SUSPENDED))
        ::ResumeThread(thread->m_hThread.Get());
    return thread;
}
