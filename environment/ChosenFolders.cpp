#include "environment/ChosenFolders.h"

#include "environment/FinalPath.h"

#include <algorithm>

namespace
{
// Each entry took a user's OK; the bound only keeps memory fixed, whatever a peer asks for.
constexpr size_t kMaxChosenFolders = 256;
} // namespace

void CChosenFolders::Note(const std::string& folder)
{
    CFileHandle handle = OpenFolderHeld(WidePath(folder), false);
    std::optional<std::wstring> finalPath = FinalPathOf(handle.Get());
    if (!finalPath)
        return;
    auto known = std::find_if(m_finalPaths.begin(), m_finalPaths.end(),
                              [&](const std::wstring& chosen) { return SameFinalPath(chosen, *finalPath); });
    if (known != m_finalPaths.end())
        m_finalPaths.erase(known);
    else if (m_finalPaths.size() == kMaxChosenFolders)
        m_finalPaths.erase(m_finalPaths.begin());
    m_finalPaths.push_back(std::move(*finalPath));
}
