// Putting a file that the peer has fetched into its final place (command 3): moved, or for an
// executable copied, with reply 4 carrying 0 or the Windows error number of the failing step.
#pragma once

#include "environment/FinishRequest.h"

#include <windows.h>

#include <cstdint>
#include <vector>

class IPeerLink;

// 0 when the file is in place, else the Windows error number of the step that failed.
DWORD PlaceFetchedFile(const FinishRequest& request) noexcept;

// Decodes the record, places the file and sends reply 4. A payload that holds no whole
// FinishRequest gets no reply and touches nothing.
void HandleFinishRequest(IPeerLink& link, const std::vector<std::uint8_t>& payload) noexcept;
