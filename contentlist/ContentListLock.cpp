#include "contentlist/ContentListLock.h"

#include "framework/Exceptions.h"

namespace
{
// CreateMutex asks for all access to a mutex that exists already. One made by another account, or
// one from before its maker labelled it, may grant less: waiting and releasing are all a lock needs.
HANDLE CreateOrOpenMutex(const std::string& name, SECURITY_ATTRIBUTES* security)
{
    HANDLE mutex = ::CreateMutexA(security, FALSE, name.empty() ? nullptr : name.c_str());
    if (mutex || name.empty() || ::GetLastError() != ERROR_ACCESS_DENIED)
        return mutex;
    mutex = ::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str());
    if (!mutex)
        ::SetLastError(ERROR_ACCESS_DENIED);
    return mutex;
}
} // namespace

CContentListLock::CContentListLock(const std::string& name, SECURITY_ATTRIBUTES* security, DWORD timeoutMs)
    : m_hMutex(CreateOrOpenMutex(name, security)), m_hold(TakeHold(m_hMutex, timeoutMs))
{
}

// A writer that died holding the lock left the file that any reader would find: an abandoned
// mutex is ours all the same (CMutexHold counts it as owned).
CMutexHold CContentListLock::TakeHold(const CHandle& mutex, DWORD timeoutMs)
{
    if (!mutex)
        throw CResourceException(::GetLastError());
    CMutexHold hold(mutex.Get(), timeoutMs);
    if (!hold.Owned())
        throw CResourceException(hold.Failure());
    return hold;
}
