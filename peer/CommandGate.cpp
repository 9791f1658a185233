#include "peer/CommandGate.h"

void CCommandGate::OnIdleTick() noexcept
{
    if (!Busy())
        m_waitArmed = true;
}

void CCommandGate::OnRead(bool heldOpen, bool removed, bool command, bool woken) noexcept
{
    m_retryRead = heldOpen;
    // A file that stays is read again at the next tick at the earliest, whoever read it now.
    if (!removed && (command || woken))
        m_waitArmed = false;
}

bool CCommandGate::TakePosted(std::uintptr_t token) noexcept
{
    if (token == 0 || token != m_postedToken)
        return false;
    m_postedToken = 0;
    return true;
}
