// ContentListLock: the named mutex that serialises whole reads and whole writes of one content
// list file between processes. Held from construction to destruction.
#pragma once

#include "framework/Handle.h"

#include <string>

class CContentListLock
{
  public:
    // Creates the mutex, or opens it when another process has, and waits for it at most timeoutMs.
    // An empty name gives a private mutex. CResourceException when it cannot be had in time.
    CContentListLock(const std::string& name, SECURITY_ATTRIBUTES* security, DWORD timeoutMs = INFINITE);
    ~CContentListLock();
    CContentListLock(CContentListLock&& other) noexcept = default;
    CContentListLock& operator=(CContentListLock&&) = delete;

  private:
    CHandle m_hMutex;
};
