// What dlcpeer check reads off the machine it runs on: the kind of system, integrity labels and
// DACLs of files, the imports of an exe, and a copy of itself at low integrity.
#pragma once

#include "framework/Handle.h"

#include <optional>
#include <string>
#include <vector>

namespace peerkit
{
namespace probes
{
// Wine, which runs Windows programs but has no integrity levels and no foreground lock.
bool IsWine();
// Integrity labels exist: Windows Vista or later, and not Wine.
bool HasIntegrityLevels();

// The integrity level (a mandatory label RID, such as SECURITY_MANDATORY_LOW_RID) of the file or
// folder: medium when it has no label. Nothing when its label cannot be read.
std::optional<DWORD> IntegrityOf(const std::string& path);
// The DACL in SDDL; "unreadable" when it cannot be read.
std::string DaclText(const std::string& path);
// Whether the file's DACL is that of a file newly created beside it.
bool HasFolderDacl(const std::string& path);

// The imports of exe that this system does not provide, as "dll!function". Nothing when the exe
// cannot be read as an image of this process's architecture.
std::optional<std::vector<std::string>> MissingImports(const std::string& exe);

// Starts commandLine as this program with its own token lowered to low integrity, its standard
// output and error going to output. Null, with the system's error, when it cannot.
CHandle StartAtLowIntegrity(const std::string& program, std::string commandLine, HANDLE output);
// This process's own integrity level; nothing when it cannot be read.
std::optional<DWORD> OwnIntegrity();
} // namespace probes
} // namespace peerkit
