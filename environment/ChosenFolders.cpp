#include "environment/ChosenFolders.h"

#include "environment/FinalPath.h"

#include <algorithm>

namespace
{
// Each entry took a user's OK; the bound only keeps memory fixed, whatever a peer asks for.
constexpr size_t kMaxChosenFolders = 256;
} // namespace

std::optional<CResolvedFolder> ResolveFolder(const std::string& folder)
{
    CResolvedFolder resolved;
    resolved.held = OpenFolderHeld(WidePath(folder), false);
    std::optional<std::wstring> finalPath = FinalPathOf(resolved.held.Get());
    if (!finalPath)
        return std::nullopt;
    resolved.finalPath = std::move(*finalPath);
    return resolved;
}

void CChosenFolders::Note(const CResolvedFolder& folder)
{
    auto known = std::find_if(m_finalPaths.begin(), m_finalPaths.end(), [&](const std::wstring& chosen) {
        return SameFinalPath(chosen, folder.finalPath);
    });
    if (known != m_finalPaths.end())
        m_finalPaths.erase(known);
    else if (m_finalPaths.size() == kMaxChosenFolders)
        m_finalPaths.erase(m_finalPaths.begin());
    m_finalPaths.push_back(folder.finalPath);
}
