// Taking RequestEvent's signal and reading the waiting work file from the work folder.
#pragma once

#include "framework/Handle.h"
#include "peer/WorkFile.h"

#include <optional>
#include <string>

// RequestEvent, opened (never created) with the access the protocol names; empty while the peer
// has not created it.
CHandle OpenRequestEvent();
// True when the event was signalled; the signal is consumed.
bool TakeRequestSignal(HANDLE requestEvent);

// Reads, decodes and (unless it holds no command) deletes workFolder + "dlcwork.tmp".
// Nothing when there is no such file. workFolder ends in a backslash.
std::optional<DecodedWorkFile> ReadWorkFile(const std::string& workFolder);
