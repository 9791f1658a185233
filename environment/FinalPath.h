// Paths as the system resolves them for an open handle (every link followed), in the "\\?\C:\..."
// or "\\?\UNC\server\share\..." form, compared without regard to case. Windows Vista and later only:
// on Windows XP FinalPathsAvailable() is false and nothing here resolves.
#pragma once

#include "framework/Handle.h"

#include <windows.h>

#include <optional>
#include <string>

bool FinalPathsAvailable();

// The path as wide characters of the ANSI code page; empty when it does not convert.
std::wstring WidePath(const std::string& path);

// The final path of an open file or folder; empty when the system cannot tell.
std::optional<std::wstring> FinalPathOf(HANDLE handle);

// Whether two final paths name the same place: compared upper-cased, as the file system compares names.
bool SameFinalPath(const std::wstring& first, const std::wstring& second);
std::wstring FoldedPath(std::wstring path);

// A folder opened for reading its identity. The handle keeps others from renaming or deleting the
// folder while it is held. ownLink: a link at path is opened itself, not followed.
CFileHandle OpenFolderHeld(const std::wstring& path, bool ownLink);

// "\\?\..." as the native "\??\..." that a rename through a handle takes.
std::wstring NativePath(const std::wstring& finalPath);
