#include "app/Backstop.h"

CBackstop::CBackstop(DWORD graceMs, UINT exitCode)
    : m_graceMs(graceMs), m_exitCode(exitCode), m_closed(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

CBackstop::~CBackstop()
{
    if (m_closed)
        ::SetEvent(m_closed.Get());
    if (m_thread)
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
}

void CBackstop::Arm() noexcept
{
    // Without its event the backstop could never be called off; it then stays unarmed.
    if (!m_closed || m_armed.exchange(true))
        return;
    m_thread.Reset(::CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
}

DWORD WINAPI CBackstop::ThreadProc(LPVOID param) noexcept
{
    auto* backstop = static_cast<CBackstop*>(param);
    if (::WaitForSingleObject(backstop->m_closed.Get(), backstop->m_graceMs) != WAIT_TIMEOUT)
        return 0;
    // Held until the process is gone, so that no other file operation can start.
    backstop->m_fileWork.lock();
    ::ExitProcess(backstop->m_exitCode);
}
