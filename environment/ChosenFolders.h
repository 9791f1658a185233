// The folders the user chose in this process's life: each one the assistant sent to the peer in
// reply 3. Kept as final paths, resolved when the dialog returned the folder, so that a link put in
// its place afterwards does not move the consent elsewhere.
#pragma once

#include "framework/Handle.h"

#include <optional>
#include <string>
#include <vector>

// A folder as the dialog returned it: its final path, and the folder held open so that it cannot be
// renamed or replaced while the request that chose it runs.
struct CResolvedFolder
{
    CFileHandle held;
    std::wstring finalPath;
};

// Nothing when the folder cannot be opened or resolved now (or on Windows XP).
std::optional<CResolvedFolder> ResolveFolder(const std::string& folder);

class CChosenFolders
{
  public:
    void Note(const CResolvedFolder& folder);
    const std::vector<std::wstring>& FinalPaths() const { return m_finalPaths; }

  private:
    std::vector<std::wstring> m_finalPaths;
};
