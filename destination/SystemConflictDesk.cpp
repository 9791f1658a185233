#include "destination/SystemConflictDesk.h"

#include "contentlist/ContentList.h"
#include "destination/UserMessage.h"
#include "framework/Handle.h"
#include "framework/StringResource.h"

#include <shlwapi.h>

std::vector<std::string> CSystemConflictDesk::RecordedTempFiles(const std::string& listPath,
                                                                const std::vector<std::string>& keys)
{
    return ReadWantedText1(listPath, keys);
}

std::string CSystemConflictDesk::CombinePath(const std::string& folder, const std::string& name)
{
    char combined[MAX_PATH] = {};
    if (!::PathCombineA(combined, folder.c_str(), name.c_str()))
        return std::string();
    combined[MAX_PATH - 1] = '\0';
    return combined;
}

// A search pattern names no file: a wildcard from a peer or a list would otherwise match whatever
// files happen to lie there ('<', '>' and '"' are wildcards of the file search too). None of these
// is ever a trail byte, so a byte search is safe.
FoundFile CSystemConflictDesk::FindFile(const std::string& path)
{
    if (path.find_first_of("*?<>\"") != std::string::npos)
        return FoundFile::None;
    WIN32_FIND_DATAA data = {};
    CFindHandle find(::FindFirstFileA(path.c_str(), &data));
    if (!find)
        return FoundFile::None;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? FoundFile::ReadOnly : FoundFile::Writable;
}

bool CSystemConflictDesk::IsOnRemoteDrive(const std::string& path)
{
    if (path.size() < 2 || path[1] != ':')
        return false;
    const char root[] = {path[0], ':', '\\', '\0'};
    return ::GetDriveTypeA(root) == DRIVE_REMOTE;
}

std::string CSystemConflictDesk::LoadText(UINT id)
{
    return AfxLoadString(id);
}

int CSystemConflictDesk::ShowMessage(HWND owner, const std::string& text, const std::string& caption,
                                     UINT style)
{
    return ShowUserMessage(owner, text, caption, style);
}
