#include "tests/e2e/support/TestPeerSession.h"

#include "framework/SystemFunction.h"
#include "peer/Protocol.h"
#include "peerkit/MessagePump.h"

namespace e2e
{
// Closed before the assistant is started: no process holds it, so the named event is gone.
CTestPeerSession::CTestPeerSession(SessionFaults faults)
{
    if (!faults.quitEvent)
        m_quitEvent.Reset();
    if (!faults.requestEvent)
        m_requestEvent.Reset();
}

bool CTestPeerSession::CreateRequestEvent()
{
    if (!m_requestEvent)
        m_requestEvent.Reset(::CreateEventA(nullptr, FALSE, FALSE, protocol::kRequestEventName));
    return static_cast<bool>(m_requestEvent);
}

// An event's state can be read without consuming an auto-reset signal only through the native API.
bool CTestPeerSession::RequestSignalled() const
{
    struct EventBasicInformation
    {
        int eventType;
        LONG eventState;
    };
    using NtQueryEventFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = LoadedSystemFunction<NtQueryEventFn>("ntdll.dll", "NtQueryEvent");
    EventBasicInformation info = {};
    if (!query || !m_requestEvent || query(m_requestEvent.Get(), 0, &info, sizeof info, nullptr) < 0)
        return false;
    return info.eventState != 0;
}

bool CTestPeerSession::WaitUntilRequestTaken(DWORD timeoutMs)
{
    return peerkit::PumpMessagesUntil(
        timeoutMs, nullptr, [&] { return !RequestSignalled(); }, 20);
}
} // namespace e2e
