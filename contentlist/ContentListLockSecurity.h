// Security for ContentListLock: every process that shares the content list, whatever its account
// and integrity level, must be able to open the mutex. A null DACL alone is not enough from Vista
// on: the creator's medium label would still keep a low-integrity peer from the mutex.
#pragma once

#include <windows.h>

class CContentListLockSecurity
{
  public:
    CContentListLockSecurity() noexcept;
    ~CContentListLockSecurity();
    CContentListLockSecurity(const CContentListLockSecurity&) = delete;
    CContentListLockSecurity& operator=(const CContentListLockSecurity&) = delete;

    SECURITY_ATTRIBUTES* Get() noexcept { return &m_attributes; }

    // Everyone all access, and a low mandatory label that lets low writers in (no-write-up only).
    static constexpr const char* kDescriptor = "D:(A;;GA;;;WD)S:(ML;;NW;;;LW)";

  private:
    PSECURITY_DESCRIPTOR m_labelled = nullptr; // from LocalAlloc, or null where labels are unknown
    SECURITY_DESCRIPTOR m_nullDacl;
    SECURITY_ATTRIBUTES m_attributes;
};
