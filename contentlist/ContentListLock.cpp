#include "contentlist/ContentListLock.h"

#include "framework/Exceptions.h"

CContentListLock::CContentListLock(const std::string& name, SECURITY_ATTRIBUTES* security, DWORD timeoutMs)
    : m_hMutex(::CreateMutexA(security, FALSE, name.empty() ? nullptr : name.c_str()))
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
