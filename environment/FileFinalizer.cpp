#include "environment/FileFinalizer.h"

#include "environment/ConsentedPlacement.h"
#include "environment/FinalPath.h"
#include "environment/PathForm.h"
#include "environment/PlacedFileSecurity.h"
#include "environment/PlacementPlan.h"

#include "framework/Exceptions.h"
#include "framework/Handle.h"

#include <shlwapi.h>

#include <functional>
#include <optional>
#include <string>

namespace
{
void ResetAttributes(const std::string& path)
{
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

bool ReadFileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
{
    CFileHandle file(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && ::GetFileInformationByHandle(file.Get(), &info);
}

bool SameFile(const std::string& first, const std::string& second)
{
    BY_HANDLE_FILE_INFORMATION a = {};
    BY_HANDLE_FILE_INFORMATION b = {};
    return ReadFileIdentity(first, a) && ReadFileIdentity(second, b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// A leftover that could not be removed goes at the next restart. The comparison of the paths
// does not normalise them, so the leftover's path may be another spelling of the placed file
// (a parent-folder step, a short name): that one is kept.
void DeleteLeftoverAtRestart(const std::string& leftover, const std::string& placed)
{
    if (::GetFileAttributesA(leftover.c_str()) == INVALID_FILE_ATTRIBUTES || SameFile(leftover, placed))
        return;
    ::MoveFileExA(leftover.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// What stands at a destination before a copy onto it: nothing, or a file of this size and these times.
struct DestinationState
{
    bool exists = false;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
};

DestinationState ReadDestinationState(const std::string& path)
{
    DestinationState state;
    state.exists = ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &state.data) != FALSE;
    return state;
}

bool Unchanged(const DestinationState& before, const DestinationState& after)
{
    if (!before.exists || !after.exists)
        return before.exists == after.exists;
    return before.data.nFileSizeHigh == after.data.nFileSizeHigh &&
           before.data.nFileSizeLow == after.data.nFileSizeLow &&
           ::CompareFileTime(&before.data.ftLastWriteTime, &after.data.ftLastWriteTime) == 0 &&
           ::CompareFileTime(&before.data.ftCreationTime, &after.data.ftCreationTime) == 0;
}

// A copy that fails part-way (on a full volume) may leave a truncated file at the destination that
// the peer could take for the whole one; Wine leaves it behind. The fetched file is then still whole
// at its source, so a destination file that the failed step wrote goes; one it did not touch stays.
void RemovePartialCopy(const std::string& source, const std::string& destination,
                       const DestinationState& before)
{
    DestinationState after = ReadDestinationState(destination);
    if (!after.exists || (after.data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        Unchanged(before, after) || ::GetFileAttributesA(source.c_str()) == INVALID_FILE_ATTRIBUTES ||
        SameFile(source, destination))
        return;
    ::DeleteFileA(destination.c_str());
}

void MoveIntoPlace(const FinishRequest& request)
{
    const std::string& source = request.sourcePath;
    const std::string& destination = request.destinationPath;
    const DestinationState before = ReadDestinationState(destination);
    if (!::MoveFileExA(source.c_str(), destination.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
    {
        DWORD error = ::GetLastError();
        RemovePartialCopy(source, destination, before);
        FailPlacement(error);
    }
    ResetAttributes(destination);
    InheritFolderSecurity(WidePath(destination));
    DeleteLeftoverAtRestart(source, destination);
}

// The folder of a decoded path (shorter than MAX_PATH); a drive root keeps its backslash.
std::string FolderOf(const std::string& path)
{
    char folder[MAX_PATH] = {};
    path.copy(folder, MAX_PATH - 1);
    ::PathRemoveFileSpecA(folder);
    return folder;
}

bool IsEmptyFile(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.nFileSizeHigh == 0 &&
           data.nFileSizeLow == 0;
}

// Moves the file to a fresh TMPxxxx.tmp in its own folder, so that a copy can take its name.
// When the move fails the file stays where it was, and the empty name holder goes.
std::string MoveAside(const std::string& source)
{
    char work[MAX_PATH] = {};
    if (!::GetTempFileNameA(FolderOf(source).c_str(), "TMP", 0, work))
        FailPlacement(::GetLastError());
    if (!::MoveFileExA(source.c_str(), work, MOVEFILE_REPLACE_EXISTING))
    {
        DWORD error = ::GetLastError();
        if (IsEmptyFile(work))
            ::DeleteFileA(work);
        FailPlacement(error);
    }
    return work;
}

// An executable gets a fresh copy at its destination; the fetched file goes.
void CopyIntoPlace(const FinishRequest& request, bool samePath)
{
    const std::string& destination = request.destinationPath;
    const std::string work = samePath ? MoveAside(request.sourcePath) : request.sourcePath;
    const DestinationState before = ReadDestinationState(destination);
    if (!::CopyFileA(work.c_str(), destination.c_str(), FALSE))
    {
        DWORD error = ::GetLastError();
        // The peer knows the file only by its own name: it must not stay under the TMP name.
        if (samePath)
            ::MoveFileExA(work.c_str(), request.sourcePath.c_str(), MOVEFILE_REPLACE_EXISTING);
        else
            RemovePartialCopy(work, destination, before);
        FailPlacement(error);
    }
    ::DeleteFileA(work.c_str());
    ResetAttributes(destination);
    InheritFolderSecurity(WidePath(destination));
    DeleteLeftoverAtRestart(work, destination);
}

bool HasPlainForms(const FinishRequest& request)
{
    const CCodePage& codePage = SystemCodePage();
    return IsPlainPlacementPath(request.sourcePath, codePage, PlacementEnd::Source) &&
           IsPlainPlacementPath(request.destinationPath, codePage, PlacementEnd::Destination);
}

// A source that opens as a pipe, a console or another device is no fetched file. One that does not
// open at all is left to the move, which reports why.
bool IsDeviceSource(const std::string& source)
{
    CFileHandle file(::CreateFileA(source.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && ::GetFileType(file.Get()) != FILE_TYPE_DISK;
}

// The stricter policies check everything before anything is touched, the attribute reset included.
DWORD PlaceUnderPolicy(const FinishRequest& request, FinishPolicy policy, const CChosenFolders& chosenFolders)
{
    if (policy != FinishPolicy::AsNamed && !HasPlainForms(request))
        return ERROR_ACCESS_DENIED;
    if (policy == FinishPolicy::ChosenFolders)
        return PlaceInsideChosenFolder(request, chosenFolders.FinalPaths());
    if (IsDeviceSource(request.sourcePath))
        return ERROR_INVALID_PARAMETER;
    return PlaceFetchedFile(request);
}
} // namespace

DWORD PlaceFetchedFile(const FinishRequest& request) noexcept
{
    return ErrorOfAttempt([&] {
        ResetAttributes(request.destinationPath);
        switch (PlanPlacement(request, ::GetACP()))
        {
        case PlacementPlan::Copy:
            CopyIntoPlace(request, false);
            break;
        case PlacementPlan::CopyInPlace:
            CopyIntoPlace(request, true);
            break;
        case PlacementPlan::Move:
            MoveIntoPlace(request);
            break;
        case PlacementPlan::KeepInPlace: // where it belongs, but with the security it was fetched with
            InheritFolderSecurity(WidePath(request.destinationPath));
            break;
        }
    });
}

std::optional<std::uint32_t> FinishResultFor(const std::vector<std::uint8_t>& payload,
                                             const std::function<FinishPolicy()>& readPolicy,
                                             const CChosenFolders& chosenFolders) noexcept
{
    std::optional<std::uint32_t> result;
    const std::uint32_t failure = ErrorOfAttempt([&] {
        DecodedFinishRequest decoded = DecodeFinishRequest(payload);
        if (decoded.decision == FinishDecision::Ignore)
            return;
        if (decoded.decision == FinishDecision::Refuse)
        {
            result = decoded.refusal;
            return;
        }
        // A policy that cannot be read refuses with the failure's number rather than guess a level.
        const FinishPolicy policy = readPolicy();
        result = PlaceUnderPolicy(decoded.request, policy, chosenFolders);
    });
    if (failure)
        result = failure;
    return result;
}
