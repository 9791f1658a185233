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
    : m_hMutex(CreateOrOpenMutex(name, security))
{
    if (!m_hMutex)
        throw CResourceException(::GetLastError());
    // An abandoned mutex is ours all the same: the writer that died held the lock, and the file
    // it left is what any reader would find.
    DWORD wait = ::WaitForSingleObject(m_hMutex.Get(), timeoutMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
    {
        DWORD error = wait == WAIT_TIMEOUT ? static_cast<DWORD>(ERROR_TIMEOUT) : ::GetLastError();
        m_hMutex.Reset();
        throw CResourceException(error);
    }
}

CContentListLock::~CContentListLock()
{
    if (m_hMutex)
        ::ReleaseMutex(m_hMutex.Get());
}
