// The lock for data shared by the threads of this process. A CRITICAL_SECTION rather than
// std::mutex: the win32 thread model of the compilers has none, and SRW locks need Vista. It meets
// BasicLockable, so std::lock_guard holds it.
#pragma once

#include <windows.h>

class CCriticalSection
{
  public:
    CCriticalSection() noexcept { ::InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void lock() noexcept { ::EnterCriticalSection(&m_section); }
    void unlock() noexcept { ::LeaveCriticalSection(&m_section); }

  private:
    CRITICAL_SECTION m_section;
};
