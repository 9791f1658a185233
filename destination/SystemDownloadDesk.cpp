#include "destination/SystemDownloadDesk.h"

#include "destination/ConflictCheck.h"
#include "destination/FolderChooser.h"
#include "destination/FolderWritable.h"
#include "destination/SystemConflictDesk.h"
#include "destination/UserMessage.h"

int CSystemDownloadDesk::Browse(FolderChooser& chooser)
{
    return chooser.Browse();
}

int CSystemDownloadDesk::ShowMessage(HWND owner, const std::string& text, const std::string& caption,
                                     UINT style)
{
    return ShowUserMessage(owner, text, caption, style);
}

bool CSystemDownloadDesk::IsFolderWritable(const std::string& path)
{
    return ::IsFolderWritable(path.c_str()) != 0;
}

int CSystemDownloadDesk::CheckExistingFiles(HWND owner, const std::string& path,
                                            const DownloadRequest& request, std::uint32_t* resumeFlag)
{
    CSystemConflictDesk desk;
    return ::CheckExistingFiles(desk, s_bTempCheckPending, owner, path, request, resumeFlag);
}
