// Putting a file that the peer has fetched into its final place (command 3): moved, or for an
// executable copied, with reply 4 carrying 0 or the Windows error number of the failing step.
#pragma once

#include "environment/ChosenFolders.h"
#include "environment/FinishPolicy.h"
#include "environment/FinishRequest.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// 0 when the file is in place, else the Windows error number of the step that failed.
DWORD PlaceFetchedFile(const FinishRequest& request) noexcept;

// Command 3 from its record to reply 4's error number; nothing when the payload holds no whole
// FinishRequest (no reply, nothing touched). readPolicy is asked once the record is whole; a policy
// it cannot read (it throws) refuses with the failure's number. A request the policy refuses gets
// ERROR_ACCESS_DENIED and touches nothing; a source that is a device, ERROR_INVALID_PARAMETER.
std::optional<std::uint32_t> FinishResultFor(const std::vector<std::uint8_t>& payload,
                                             const std::function<FinishPolicy()>& readPolicy,
                                             const CChosenFolders& chosenFolders) noexcept;
