#include "contentlist/ContentListLock.h"

#include "framework/Exceptions.h"

CContentListLock::CContentListLock(const std::string& name, SECURITY_ATTRIBUTES* security)
    : m_hMutex(::CreateMutexA(security, FALSE, name.empty() ? nullptr : name.c_str()))
{
    if (!m_hMutex)
        throw CResourceException(::GetLastError());
    // An abandoned mutex is ours all the same: the writer that died held the lock, and the file
    // it left is what any reader would find.
    DWORD wait = ::WaitForSingleObject(m_hMutex.Get(), INFINITE);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
    {
        DWORD error = ::GetLastError();
        m_hMutex.Reset();
        throw CResourceException(error);
    }
}

CContentListLock::~CContentListLock()
{
    if (m_hMutex)
        ::ReleaseMutex(m_hMutex.Get());
}
