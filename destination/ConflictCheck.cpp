#include "destination/ConflictCheck.h"

#include "environment/PathForm.h"
#include "resources/resource.h"

#include <cctype>
#include <map>

BOOL s_bTempCheckPending = TRUE;

namespace
{
struct ExistingNames
{
    std::vector<std::string> all;
    std::vector<std::string> readOnly;
};

// Whether a drive is a network drive, asked of the desk once per drive letter: the question is a
// trip to the file system, and a request's thousand temporary files are likely on one drive.
class CRemoteDrives
{
  public:
    explicit CRemoteDrives(IConflictDesk& desk) : m_desk(desk) {}

    // path is drive-absolute (a local peer path).
    bool Hold(const std::string& path)
    {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
        const auto known = m_remote.find(letter);
        if (known != m_remote.end())
            return known->second;
        return m_remote[letter] = m_desk.IsOnRemoteDrive(path);
    }

  private:
    IConflictDesk& m_desk;
    std::map<char, bool> m_remote;
};

// A list or temporary file the assistant opens itself: on a local drive, never a device.
bool MayOpen(IConflictDesk& desk, CRemoteDrives& remoteDrives, const std::string& path)
{
    return IsLocalPeerPath(path, desk.CodePage()) && !remoteDrives.Hold(path);
}

// The FileNames of the entries whose recorded temporary file still exists, in entry order. The
// list is read once for all entries, and not at all for a request without any.
std::vector<std::string> FindResumable(IConflictDesk& desk, const DownloadRequest& request)
{
    std::vector<std::string> names;
    CRemoteDrives remoteDrives(desk);
    // A list or temporary file that is relative, on the network or a device is never opened: it
    // counts as unreadable or missing.
    if (request.entries.empty() || !MayOpen(desk, remoteDrives, request.listFilePath))
        return names;
    std::vector<std::string> keys;
    keys.reserve(request.entries.size());
    for (const ContentEntry& entry : request.entries)
        keys.push_back(entry.listKey);
    const std::vector<std::string> tempFiles = desk.RecordedTempFiles(request.listFilePath, keys);
    for (std::size_t i = 0; i < request.entries.size() && i < tempFiles.size(); ++i)
    {
        if (!tempFiles[i].empty() && MayOpen(desk, remoteDrives, tempFiles[i]) &&
            desk.FindFile(tempFiles[i]) != FoundFile::None)
            names.push_back(request.entries[i].fileName);
    }
    return names;
}

// A folder bearing an entry's name counts as an existing file. A name that would lead out of the
// chosen folder, to the network or to a device counts as not found.
ExistingNames FindExisting(IConflictDesk& desk, const std::string& folder, const DownloadRequest& request)
{
    ExistingNames found;
    for (const ContentEntry& entry : request.entries)
    {
        if (!IsNameInsideFolder(entry.fileName, desk.CodePage()))
            continue;
        std::string path = desk.CombinePath(folder, entry.fileName);
        if (path.empty())
            continue;
        FoundFile file = desk.FindFile(path);
        if (file == FoundFile::None)
            continue;
        found.all.push_back(entry.fileName);
        if (file == FoundFile::ReadOnly)
            found.readOnly.push_back(entry.fileName);
    }
    return found;
}

void AskResume(IConflictDesk& desk, HWND owner, const DownloadRequest& request,
               const std::vector<std::string>& names, std::uint32_t& resumeFlag)
{
    std::string message =
        ComposeConflictMessage(desk, IDS_EXISTING_IN_TEMP, names, {IDS_ASK_RESUME, IDS_RESUME_CHOICES});
    if (desk.ShowMessage(owner, message, request.caption, MB_ICONINFORMATION | MB_YESNO) == IDYES)
        resumeFlag = 1;
}

// 0 accepts the folder, 1 makes the user choose again.
int AskAboutExisting(IConflictDesk& desk, HWND owner, const DownloadRequest& request,
                     const ExistingNames& existing)
{
    if (!existing.readOnly.empty())
    {
        std::string message =
            ComposeConflictMessage(desk, IDS_EXISTING_IN_FOLDER, existing.readOnly, {IDS_READ_ONLY_FILES});
        desk.ShowMessage(owner, message, request.caption, MB_ICONINFORMATION | MB_OK);
        return 1;
    }
    if (existing.all.empty())
        return 0;
    std::string message = ComposeConflictMessage(desk, IDS_EXISTING_IN_FOLDER, existing.all,
                                                 {IDS_ASK_OVERWRITE, IDS_OVERWRITE_CHOICES});
    UINT style = MB_ICONINFORMATION | MB_YESNO | MB_DEFBUTTON2;
    return desk.ShowMessage(owner, message, request.caption, style) == IDNO ? 1 : 0;
}
} // namespace

std::string ComposeConflictMessage(IConflictDesk& desk, UINT leadId, const std::vector<std::string>& names,
                                   std::initializer_list<UINT> trailIds)
{
    std::string message = desk.LoadText(leadId);
    for (const std::string& name : names)
        message += "\t" + VisibleText(name) + "\n";
    for (UINT id : trailIds)
        message += desk.LoadText(id);
    return message;
}

int CheckExistingFiles(IConflictDesk& desk, BOOL& tempCheckPending, HWND owner, const std::string& path,
                       const DownloadRequest& request, std::uint32_t* resumeFlag)
{
    std::uint32_t unused = 0;
    std::uint32_t& resume = resumeFlag ? *resumeFlag : unused;
    if (tempCheckPending)
    {
        resume = 0;
        std::vector<std::string> resumable = FindResumable(desk, request);
        if (!resumable.empty())
        {
            AskResume(desk, owner, request, resumable, resume);
            tempCheckPending = FALSE;
        }
    }
    if (AskAboutExisting(desk, owner, request, FindExisting(desk, path, request)) != 0)
        return 1;
    tempCheckPending = TRUE;
    return 0;
}
