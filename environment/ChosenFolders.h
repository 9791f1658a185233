// The folders the user chose in this process's life: each one the assistant sent to the peer in
// reply 3. Kept as final paths, resolved when the folder was chosen, so that a link put in its
// place afterwards does not move the consent elsewhere.
#pragma once

#include <string>
#include <vector>

class CChosenFolders
{
  public:
    // A folder that cannot be opened or resolved now (or on Windows XP) is not recorded.
    void Note(const std::string& folder);
    const std::vector<std::wstring>& FinalPaths() const { return m_finalPaths; }

  private:
    std::vector<std::wstring> m_finalPaths;
};
