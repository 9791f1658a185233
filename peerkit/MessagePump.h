// Waiting as a peer must wait: the assistant sends its replies (and, while a dialog is open, other
// messages) to the peer's windows, so every wait keeps the calling thread's messages flowing.
#pragma once

#include <windows.h>

#include <algorithm>

namespace peerkit
{
// Pumps messages until done() holds (true) or the time runs out (false). handle, when given,
// also ends a wait; pollMs bounds each wait for conditions that nothing announces.
template <class Done>
bool PumpMessagesUntil(DWORD timeoutMs, HANDLE handle, Done done, DWORD pollMs = INFINITE)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;)
    {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (done())
            return true;
        ULONGLONG now = ::GetTickCount64();
        if (now >= deadline)
            return false;
        DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, pollMs));
        ::MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr, FALSE, wait, QS_ALLINPUT);
    }
}
} // namespace peerkit
