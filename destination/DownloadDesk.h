// What a download request needs of the desktop: the folder dialog, message boxes, the
// writability probe and the conflict check. Tests put fakes in its place.
#pragma once

#include "destination/DownloadRequest.h"

#include <windows.h>

#include <cstdint>
#include <string>

class FolderChooser;

class IDownloadDesk
{
  public:
    virtual int Browse(FolderChooser& chooser) = 0;
    virtual int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT style) = 0;
    virtual bool IsFolderWritable(const std::string& path) = 0;
    // 0 accepts the folder, 1 makes the user choose again; may set *resumeFlag. Its questions are
    // owned by owner.
    virtual int CheckExistingFiles(HWND owner, const std::string& path, const DownloadRequest& request,
                                   std::uint32_t* resumeFlag) = 0;

  protected:
    ~IDownloadDesk() = default;
};
