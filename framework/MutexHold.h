// Ownership of a Win32 mutex for a scope. The wait is bounded by its caller; an abandoned mutex
// counts as owned, since its last owner died holding it and what it guarded is ours to use now.
#pragma once

#include <windows.h>

#include <utility>

class CMutexHold
{
  public:
    // Waits at most timeoutMs for mutex; a null mutex is never owned.
    CMutexHold(HANDLE mutex, DWORD timeoutMs) noexcept : m_hMutex(mutex)
    {
        if (!m_hMutex)
            return;
        m_dwWait = ::WaitForSingleObject(m_hMutex, timeoutMs);
        m_dwError = m_dwWait == WAIT_FAILED ? ::GetLastError() : ERROR_SUCCESS;
        if (m_dwWait != WAIT_OBJECT_0 && m_dwWait != WAIT_ABANDONED)
            m_hMutex = nullptr;
    }
    ~CMutexHold()
    {
        if (m_hMutex)
            ::ReleaseMutex(m_hMutex);
    }
    CMutexHold(CMutexHold&& other) noexcept
        : m_hMutex(std::exchange(other.m_hMutex, nullptr)), m_dwWait(other.m_dwWait), m_dwError(other.m_dwError)
    {
    }
    CMutexHold(const CMutexHold&) = delete;
    CMutexHold& operator=(const CMutexHold&) = delete;
    CMutexHold& operator=(CMutexHold&&) = delete;

    bool Owned() const noexcept { return m_hMutex != nullptr; }
    // Why it is not owned: ERROR_TIMEOUT, or the error of a failed wait.
    DWORD Failure() const noexcept { return m_dwWait == WAIT_TIMEOUT ? static_cast<DWORD>(ERROR_TIMEOUT) : m_dwError; }

  private:
    HANDLE m_hMutex;
    DWORD m_dwWait = WAIT_FAILED;
    DWORD m_dwError = ERROR_INVALID_HANDLE;
};
