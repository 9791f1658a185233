// What the conflict check needs of the system: the content list, path joining, the file search,
// the string table and message boxes. Tests put fakes in its place.
#pragma once

#include "framework/CodePage.h"

#include <windows.h>

#include <string>
#include <vector>

// What a search for a path found: nothing, or a file or folder, read-only or not.
enum class FoundFile
{
    None,
    Writable,
    ReadOnly,
};

class IConflictDesk
{
  public:
    // Text1 of each key in the content list at listPath, in the keys' order, empty where there is
    // none: the list is loaded once, afresh, for all of them.
    virtual std::vector<std::string> RecordedTempFiles(const std::string& listPath,
                                                       const std::vector<std::string>& keys) = 0;
    // folder and name joined into one path; empty when they cannot be joined.
    virtual std::string CombinePath(const std::string& folder, const std::string& name) = 0;
    virtual FoundFile FindFile(const std::string& path) = 0;
    // Whether the drive of a drive-absolute path ("X:\...") is a network drive.
    virtual bool IsOnRemoteDrive(const std::string& path) = 0;
    // The ANSI code page the paths are written in.
    virtual const CCodePage& CodePage() = 0;
    virtual std::string LoadText(UINT id) = 0;
    virtual int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT style) = 0;

  protected:
    ~IConflictDesk() = default;
};
