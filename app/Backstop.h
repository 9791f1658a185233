// The last resort after a stop has been requested: if the frame has not closed within a grace
// period (its thread stuck in a reply to a window that no longer answers, say), the process ends
// itself with its own exit code. A file operation in progress is let finish first: cutting a copy
// short over the user's file would lose data.
#pragma once

#include "framework/CriticalSection.h"
#include "framework/Handle.h"

#include <windows.h>

#include <atomic>

// The exit code of a process ended by the backstop; a normal end gives 0, a failed start 1.
constexpr UINT kExitStopTimedOut = 3;

class CBackstop
{
  public:
    CBackstop(DWORD graceMs, UINT exitCode);
    // The frame has closed: the countdown, if any, is called off.
    ~CBackstop();
    CBackstop(const CBackstop&) = delete;
    CBackstop& operator=(const CBackstop&) = delete;

    // Starts the countdown; later calls change nothing. Safe from any thread.
    void Arm() noexcept;

    // Held (std::lock_guard) around each file operation that must run to its end.
    CCriticalSection& FileWork() noexcept { return m_fileWork; }

  private:
    static DWORD WINAPI ThreadProc(LPVOID param) noexcept;

    const DWORD m_graceMs;
    const UINT m_exitCode;
    CCriticalSection m_fileWork;
    CHandle m_closed;
    CHandle m_thread;
    std::atomic<bool> m_armed{false};
};
