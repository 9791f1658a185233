#include "tests/support/TestThread.h"

#include <utility>

namespace testfiles
{
CTestThread::CTestThread(std::function<void()> body) : m_body(std::move(body))
{
    m_thread.Reset(::CreateThread(nullptr, 0, &CTestThread::Run, this, 0, nullptr));
}

void CTestThread::Join()
{
    if (m_thread)
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
}

DWORD WINAPI CTestThread::Run(void* self) noexcept
{
    try
    {
        static_cast<CTestThread*>(self)->m_body();
    }
    catch (...)
    {
    }
    return 0;
}
} // namespace testfiles
