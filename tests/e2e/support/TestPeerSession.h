// A kit session with what only the tests need: started without QuitEvent or RequestEvent,
// RequestEvent made late, and a look at whether the assistant has taken RequestEvent's signal.
#pragma once

#include "peerkit/PeerSession.h"

namespace e2e
{
struct SessionFaults
{
    bool quitEvent = true;
    bool requestEvent = true;
};

class CTestPeerSession : public peerkit::CPeerSession
{
  public:
    explicit CTestPeerSession(SessionFaults faults);

    // Creates RequestEvent later, for a session started without it.
    bool CreateRequestEvent();
    // Waits (pumping) until the assistant has taken RequestEvent's signal.
    bool WaitUntilRequestTaken(DWORD timeoutMs);

  private:
    bool RequestSignalled() const;
};
} // namespace e2e
