// Security for ContentListLock: a descriptor with a present but null DACL, so that every process
// that shares the content list, whatever its account, can open the mutex.
#pragma once

#include <windows.h>

class CNullDaclSecurity
{
  public:
    CNullDaclSecurity() noexcept;
    CNullDaclSecurity(const CNullDaclSecurity&) = delete;
    CNullDaclSecurity& operator=(const CNullDaclSecurity&) = delete;

    SECURITY_ATTRIBUTES* Get() noexcept { return &m_attributes; }

  private:
    SECURITY_DESCRIPTOR m_descriptor;
    SECURITY_ATTRIBUTES m_attributes;
};
