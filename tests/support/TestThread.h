// A second thread for a test, joined at the end of its scope. Win32 threads rather than
// std::thread, which the win32 thread model of the compilers does not have.
#pragma once

#include "framework/Handle.h"

#include <functional>

namespace testfiles
{
class CTestThread
{
  public:
    // The body runs at once; an exception it throws ends the thread, nothing more.
    explicit CTestThread(std::function<void()> body);
    ~CTestThread() { Join(); }
    CTestThread(const CTestThread&) = delete;
    CTestThread& operator=(const CTestThread&) = delete;

    void Join();

  private:
    static DWORD WINAPI Run(void* self) noexcept;

    std::function<void()> m_body;
    CHandle m_thread;
};

// A manual-reset event; Wait is bounded so that a test that fails early cannot hang its thread.
class CTestEvent
{
  public:
    CTestEvent() : m_event(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    void Set() { ::SetEvent(m_event.Get()); }
    bool Wait(DWORD timeoutMs = 10000) { return ::WaitForSingleObject(m_event.Get(), timeoutMs) == WAIT_OBJECT_0; }

  private:
    CHandle m_event;
};
} // namespace testfiles
