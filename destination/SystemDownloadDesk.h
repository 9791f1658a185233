// The real desk: the shell's dialog, system message boxes and the real probe and check.
#pragma once

#include "destination/DownloadDesk.h"

class CSystemDownloadDesk : public IDownloadDesk
{
  public:
    int Browse(FolderChooser& chooser) override;
    int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT style) override;
    bool IsFolderWritable(const std::string& path) override;
    int CheckExistingFiles(HWND owner, const std::string& path, const DownloadRequest& request,
                           std::uint32_t* resumeFlag) override;
};
