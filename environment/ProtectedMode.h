// Where the assistant and a low-integrity peer meet: the work folder and the writable registry root.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class CCodePage;

// NT family, major version 6 or later. Asked of the system once; a failed answer is not kept.
bool IsVistaOrLater();

// The version rule on its own: 1 or 0 to keep, -1 for an answer not to keep (not the NT family).
int ClassifyVersion(DWORD platformId, DWORD majorVersion);

// <LocalAppData>\Temp\Low, without a trailing backslash; false when the shell gives no folder.
bool GetLowTempFolder(std::string& folder);

// The folder with its closing run of backslashes replaced by exactly one; a trail byte 0x5C of
// a double-byte character is part of its character, not a backslash.
std::string EnsureTrailingBackslash(const std::string& folder, const CCodePage& codePage);

// The folder that holds the work file, ending in one backslash; false when there is none.
bool GetWorkFolder(std::string& folder);

// The choice behind GetWorkFolder with its sources passed in, so that both cases can be tested.
bool ChooseWorkFolder(bool vistaOrLater, const std::function<bool(std::string&)>& lowTempFolder,
                      const std::function<std::string()>& tempPath, const CCodePage& codePage,
                      std::string& folder);

// The registry root a low-integrity process may write, or null. The caller closes it.
HKEY GetWriteableUserRoot();
