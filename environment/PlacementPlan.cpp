#include "environment/PlacementPlan.h"

#include "environment/PathForm.h"
#include "framework/CodePage.h"
#include "framework/Exceptions.h"

bool IsExecutablePath(const std::string& path, unsigned codePage)
{
    const CCodePage& page = TableCodePage(codePage);
    std::size_t dot = std::string::npos;
    for (std::size_t pos = 0; pos < path.size(); pos += page.CharLength(path, pos))
        if (path[pos] == '.')
            dot = pos;
    return dot != std::string::npos && SamePathIgnoringCase(path.substr(dot), ".exe", codePage);
}

PlacementPlan PlanPlacement(const FinishRequest& request, unsigned codePage)
{
    const bool samePath = SamePathIgnoringCase(request.sourcePath, request.destinationPath, codePage);
    if (IsExecutablePath(request.sourcePath, codePage))
        return samePath ? PlacementPlan::CopyInPlace : PlacementPlan::Copy;
    return samePath ? PlacementPlan::KeepInPlace : PlacementPlan::Move;
}

void FailPlacement(std::uint32_t error)
{
    throw CUserException(error ? error : 31);
}
