// ContentListLock: the named mutex that serialises whole reads and whole writes of one content
// list file between processes. Held from construction to destruction.
#pragma once

#include "framework/Handle.h"
#include "framework/MutexHold.h"

#include <string>

class CContentListLock
{
  public:
    // Creates the mutex, or opens it when another process has, and waits for it at most timeoutMs.
    // An empty name gives a private mutex. CResourceException when it cannot be had in time.
    CContentListLock(const std::string& name, SECURITY_ATTRIBUTES* security, DWORD timeoutMs = INFINITE);
    CContentListLock(CContentListLock&& other) noexcept = default;
    CContentListLock& operator=(CContentListLock&&) = delete;

  private:
    static CMutexHold TakeHold(const CHandle& mutex, DWORD timeoutMs);

    CHandle m_hMutex;
    CMutexHold m_hold; // released before the handle closes
};
