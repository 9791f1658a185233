#include "environment/ConsentedPlacement.h"

#include "environment/FinalPath.h"
#include "environment/PlacedFileSecurity.h"
#include "environment/PlacementPlan.h"
#include "environment/ProtectedMode.h"
#include "framework/Exceptions.h"
#include "framework/SystemFunction.h"

#include <shlwapi.h>

#include <new>
#include <optional>

namespace
{
[[noreturn]] void Refuse()
{
    FailPlacement(ERROR_ACCESS_DENIED);
}

bool IsSingleLinkRegularFile(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    return ::GetFileInformationByHandle(file, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
           info.nNumberOfLinks == 1;
}

bool IsPlainFolder(HANDLE folder)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    return ::GetFileInformationByHandle(folder, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name)
{
    return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

// Whether a final path is folder itself or lies below it.
bool IsAtOrBelow(const std::wstring& finalPath, const std::wstring& folderPath)
{
    const std::wstring path = FoldedPath(finalPath);
    const std::wstring folder = FoldedPath(folderPath);
    return !folder.empty() &&
           (path == folder || (path.compare(0, folder.size(), folder) == 0 &&
                               (folder.back() == L'\\' || path[folder.size()] == L'\\')));
}

// The chosen folder that holds finalFolder (or is it): the longest match wins, so that the chain
// to hold is the shortest.
const std::wstring* ChosenFolderHolding(const std::wstring& finalFolder, const std::vector<std::wstring>& chosen)
{
    const std::wstring* best = nullptr;
    for (const std::wstring& folder : chosen)
        if (IsAtOrBelow(finalFolder, folder) && (!best || folder.size() > best->size()))
            best = &folder;
    return best;
}

// A fetched file lies in the work folder, where the peer can write; anything elsewhere is a file of
// the user's that the peer must not carry off.
void CheckSourceInWorkFolder(HANDLE source)
{
    std::string workFolder;
    if (!GetWorkFolder(workFolder))
        Refuse();
    std::optional<std::wstring> finalWork = FinalPathOf(OpenFolderHeld(WidePath(workFolder), false).Get());
    std::optional<std::wstring> finalSource = FinalPathOf(source);
    if (!finalWork || !finalSource || !IsAtOrBelow(*finalSource, *finalWork))
        Refuse();
}

// The fetched file, held with delete access and shared for reading only: nobody else may write,
// rename or delete it until the act is done.
CFileHandle HoldSource(const std::wstring& path)
{
    CFileHandle source(::CreateFileW(path.c_str(), DELETE | GENERIC_READ | SYNCHRONIZE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN,
                                     nullptr));
    if (!source)
        FailPlacement(::GetLastError());
    if (::GetFileType(source.Get()) != FILE_TYPE_DISK)
        FailPlacement(ERROR_INVALID_PARAMETER);
    if (!IsSingleLinkRegularFile(source.Get()))
        Refuse();
    return source;
}

// Every folder from the chosen one down to the destination's, each opened as itself (a link is not
// followed), checked to be a plain folder where its parent says it is, and held without delete
// sharing, so that none can be renamed or replaced by a link until the act is done.
class CFolderChain
{
  public:
    CFolderChain(const std::wstring& chosen, const std::wstring& finalFolder)
    {
        Hold(chosen);
        std::wstring path = chosen;
        size_t from = chosen.size();
        while (from < finalFolder.size())
        {
            if (finalFolder[from] == L'\\')
                ++from;
            size_t end = finalFolder.find(L'\\', from);
            if (end == std::wstring::npos)
                end = finalFolder.size();
            path = Joined(path, finalFolder.substr(from, end - from));
            Hold(path);
            from = end;
        }
    }

  private:
    void Hold(const std::wstring& expected)
    {
        CFileHandle folder = OpenFolderHeld(expected, true);
        if (!folder)
            FailPlacement(::GetLastError());
        std::optional<std::wstring> finalPath = FinalPathOf(folder.Get());
        if (!IsPlainFolder(folder.Get()) || !finalPath || !SameFinalPath(*finalPath, expected))
            Refuse();
        m_folders.push_back(std::move(folder));
    }

    std::vector<CFileHandle> m_folders;
};

// What stands at the destination may be replaced only when it is a regular file with a single
// link that lies where its path says: a copy writes through a hard link, and a link elsewhere
// would take the write out of the chosen folder.
void CheckDestination(const std::wstring& destination)
{
    CFileHandle existing(::CreateFileW(destination.c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!existing)
    {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return;
        FailPlacement(error);
    }
    std::optional<std::wstring> finalPath = FinalPathOf(existing.Get());
    if (!IsSingleLinkRegularFile(existing.Get()) || !finalPath || !SameFinalPath(*finalPath, destination))
        Refuse();
}

using SetFileInformationFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);

// Loaded by name: a static import would keep the program from starting on Windows XP, where final
// paths are not available either and nothing here runs.
BOOL SetFileInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size)
{
    static const SetFileInformationFn function =
        LoadedSystemFunction<SetFileInformationFn>("kernel32.dll", "SetFileInformationByHandle");
    if (!function)
    {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return function(file, kind, info, size);
}

bool RenameThrough(HANDLE file, const std::wstring& finalTarget)
{
    const std::wstring target = NativePath(finalTarget);
    const size_t bytes = target.size() * sizeof(wchar_t);
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    target.copy(info->FileName, target.size());
    return SetFileInformation(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != FALSE;
}

bool DeleteOnClose(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformation(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

bool CopyBytes(HANDLE from, HANDLE to)
{
    LARGE_INTEGER start = {};
    if (!::SetFilePointerEx(from, start, nullptr, FILE_BEGIN))
        return false;
    std::vector<char> buffer(1 << 20);
    for (;;)
    {
        DWORD read = 0;
        if (!::ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return false;
        if (read == 0)
            break;
        DWORD written = 0;
        if (!::WriteFile(to, buffer.data(), read, &written, nullptr) || written != read)
            return false;
    }
    FILETIME created, accessed, written;
    if (::GetFileTime(from, &created, &accessed, &written))
        ::SetFileTime(to, nullptr, nullptr, &written);
    return true;
}

// A fresh file at destination with the held source's bytes. A copy that fails part-way goes, so
// that no truncated file can pass for the whole one.
void CopyThrough(HANDLE source, const std::wstring& destination)
{
    CFileHandle copy(::CreateFileW(destination.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!copy)
        FailPlacement(::GetLastError());
    if (!CopyBytes(source, copy.Get()))
    {
        const DWORD error = ::GetLastError();
        DeleteOnClose(copy.Get());
        FailPlacement(error);
    }
}

// The source goes when its handle closes; should that fail, at the next restart.
void RemoveSource(HANDLE source, const std::wstring& path)
{
    if (!DeleteOnClose(source))
        ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

void ResetAttributes(const std::wstring& path)
{
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The executable at its own path becomes a fresh file of the same name: moved aside to a
// TMPxxxx.tmp of its folder, copied back, and the moved file removed; put back should the copy fail.
void RenewInPlace(HANDLE source, const std::wstring& finalFolder, const std::wstring& destination)
{
    wchar_t aside[MAX_PATH] = {};
    if (finalFolder.size() > MAX_PATH - 14) // what the system allows for a temporary file's folder
        FailPlacement(ERROR_FILENAME_EXCED_RANGE);
    if (!::GetTempFileNameW(finalFolder.c_str(), L"TMP", 0, aside))
        FailPlacement(::GetLastError());
    if (!RenameThrough(source, aside))
    {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(aside);
        FailPlacement(error);
    }
    try
    {
        CopyThrough(source, destination);
    }
    catch (const CUserException&)
    {
        RenameThrough(source, destination);
        throw;
    }
    RemoveSource(source, aside);
}

// The plan carried out through the held source: whatever is renamed is the file checked, not
// whatever its path names by now.
void CarryOut(PlacementPlan plan, HANDLE source, const std::wstring& sourcePath, const std::wstring& finalFolder,
              const std::wstring& destination)
{
    switch (plan)
    {
    case PlacementPlan::CopyInPlace:
        RenewInPlace(source, finalFolder, destination);
        break;
    case PlacementPlan::Copy:
        CopyThrough(source, destination);
        RemoveSource(source, sourcePath);
        break;
    case PlacementPlan::Move:
        if (!RenameThrough(source, destination))
        {
            const DWORD error = ::GetLastError();
            if (error != ERROR_NOT_SAME_DEVICE)
                FailPlacement(error);
            CopyThrough(source, destination); // another volume: copied, then removed
            RemoveSource(source, sourcePath);
        }
        break;
    case PlacementPlan::KeepInPlace:
        break;
    }
}

void Place(const FinishRequest& request, const std::vector<std::wstring>& chosenFolders)
{
    if (!FinalPathsAvailable())
        Refuse();
    const std::wstring sourcePath = WidePath(request.sourcePath);
    const std::wstring destinationPath = WidePath(request.destinationPath);
    const std::wstring name = ::PathFindFileNameW(destinationPath.c_str());
    if (sourcePath.empty() || name.empty() || name.size() == destinationPath.size())
        Refuse();
    CFileHandle source = HoldSource(sourcePath);
    const PlacementPlan plan = PlanPlacement(request, ::GetACP());
    // A file renewed at its own path stays where it is: the chosen folder must hold it.
    if (plan == PlacementPlan::Copy || plan == PlacementPlan::Move)
        CheckSourceInWorkFolder(source.Get());

    const std::wstring folderPath = destinationPath.substr(0, destinationPath.size() - name.size());
    std::optional<std::wstring> finalFolder = FinalPathOf(OpenFolderHeld(folderPath, false).Get());
    if (!finalFolder)
        FailPlacement(::GetLastError());
    const std::wstring* chosen = ChosenFolderHolding(*finalFolder, chosenFolders);
    if (!chosen)
        Refuse();
    CFolderChain chain(*chosen, *finalFolder);
    const std::wstring destination = Joined(*finalFolder, name);
    CheckDestination(destination);

    ResetAttributes(destination);
    CarryOut(plan, source.Get(), sourcePath, *finalFolder, destination);
    ResetAttributes(destination);
    InheritFolderSecurity(destination);
}
} // namespace

DWORD PlaceInsideChosenFolder(const FinishRequest& request, const std::vector<std::wstring>& chosenFolders) noexcept
{
    return ErrorOfAttempt([&] { Place(request, chosenFolders); });
}
