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
    // GetTickCount, not GetTickCount64 (Vista and later): the kit must load on XP. An unsigned
    // 32-bit difference from the start stays right across the counter's wrap after 49.7 days.
    const DWORD start = ::GetTickCount();
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
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        DWORD wait = (std::min)(timeoutMs - elapsed, pollMs);
        ::MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr, FALSE, wait, QS_ALLINPUT);
    }
}
} // namespace peerkit
