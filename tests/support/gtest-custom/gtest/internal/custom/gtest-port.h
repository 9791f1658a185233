// GoogleTest's own place for a port's settings, found before the copy GoogleTest ships. The Windows
// builds use the win32 thread model, whose library has no std::mutex or std::condition_variable;
// GoogleTest's Notification, which starts its Windows threads, waits on an event instead.
#pragma once

#ifdef _WIN32
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing
{
namespace internal
{
class Notification
{
  public:
    Notification() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(event_); }
    void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

  private:
    HANDLE event_;
};
} // namespace internal
} // namespace testing
#endif
