// The real conflict desk: the content list store, the shell's path joining, FindFirstFileA, the
// string table and system message boxes.
#pragma once

#include "destination/ConflictDesk.h"

class CSystemConflictDesk : public IConflictDesk
{
  public:
    std::vector<std::string> RecordedTempFiles(const std::string& listPath,
                                               const std::vector<std::string>& keys) override;
    std::string CombinePath(const std::string& folder, const std::string& name) override;
    FoundFile FindFile(const std::string& path) override;
    bool IsOnRemoteDrive(const std::string& path) override;
    const CCodePage& CodePage() override { return SystemCodePage(); }
    std::string LoadText(UINT id) override;
    int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT style) override;
};
