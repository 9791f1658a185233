// Command 3 under the consent policy: the file is placed only inside a folder the user chose, and
// acted on through handles that were checked and are held until the act is done, so that a
// low-integrity process cannot swap a path between the check and the act.
#pragma once

#include "environment/FinishRequest.h"

#include <windows.h>

#include <string>
#include <vector>

// 0 when the file is in place; ERROR_ACCESS_DENIED (nothing touched) when the destination lies
// outside every chosen folder, a link stands in the way, either file is not a regular file with a
// single link, or the system cannot resolve final paths (Windows XP); else the failing step's error.
DWORD PlaceInsideChosenFolder(const FinishRequest& request, const std::vector<std::wstring>& chosenFolders) noexcept;
