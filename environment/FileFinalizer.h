// Putting a file that the peer has fetched into its final place (command 3): moved, or for an
// executable copied, with reply 4 carrying 0 or the Windows error number of the failing step.
#pragma once

#include "environment/ChosenFolders.h"
#include "environment/FinishPolicy.h"
#include "environment/FinishRequest.h"

#include <windows.h>

#include <cstdint>
#include <vector>

class IPeerLink;

// 0 when the file is in place, else the Windows error number of the step that failed.
DWORD PlaceFetchedFile(const FinishRequest& request) noexcept;

// How far the paths of command 3 are trusted, as read for one request.
struct FinishRules
{
    FinishPolicy policy = FinishPolicy::AsNamed;
    const CChosenFolders* chosenFolders = nullptr; // for ChosenFolders; none when null
};

// Decodes the record, places the file as the rules allow and sends reply 4. A payload that holds
// no whole FinishRequest gets no reply and touches nothing; a request the rules refuse gets
// ERROR_ACCESS_DENIED and touches nothing either.
void HandleFinishRequest(IPeerLink& link, const std::vector<std::uint8_t>& payload,
                         const FinishRules& rules = FinishRules()) noexcept;
