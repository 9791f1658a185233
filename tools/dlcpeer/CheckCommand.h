// dlcpeer check: what an integrator runs on a Windows machine where the assistant is installed, to
// see that the claims the tests under Wine cannot show hold there. One line per claim: PASS, FAIL
// or "not checkable here", with the reason.
#pragma once

#include "tools/dlcpeer/DownloadCommand.h"

#include <string>

namespace peerkit
{
// Every claim, run against the assistant at assistantPath; Failed when any claim fails.
Outcome RunCheckCommand(const std::string& assistantPath);

// The part that check runs in a copy of dlcpeer at low integrity: as a low peer, it sets the
// event readyEvent once its session exists, then writes command 1, waits for its reply and opens
// the content list lock named lockName, which check holds open.
Outcome RunLowIntegrityPeer(const std::string& readyEvent, const std::string& lockName);
} // namespace peerkit
