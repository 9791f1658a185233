// How a fetched file reaches its destination: decided once, here, for every policy level, then
// carried out by paths (levels 0 and 1, FileFinalizer) or through held handles (level 2,
// ConsentedPlacement). Platform-neutral, so it is tested natively.
#pragma once

#include "environment/FinishRequest.h"

#include <cstdint>
#include <string>

enum class PlacementPlan
{
    Copy,        // an executable: a fresh file at the destination (it must not keep the fetched
                 // file's identity), the fetched one removed
    CopyInPlace, // an executable at its own path: moved aside, copied back, the moved one removed
    Move,        // any other file: renamed into place, copied and removed across volumes
    KeepInPlace, // any other file already at its path: only its attributes and security renewed
};

// The source's extension is ".exe" in any case: what follows its last dot, stepping over
// double-byte characters of codePage whole. (PathFindExtension also starts afresh at a backslash
// or a space; an extension that would hold one is no ".exe" either way.)
bool IsExecutablePath(const std::string& path, unsigned codePage);

// The plan for request; the same path is one spelled the same way but for case (SamePathIgnoringCase).
PlacementPlan PlanPlacement(const FinishRequest& request, unsigned codePage);

// A step of a placement failed with error: thrown for the caller's edge to turn into reply 4's
// number. 0 would read as success, so it becomes ERROR_GEN_FAILURE (31).
[[noreturn]] void FailPlacement(std::uint32_t error);
