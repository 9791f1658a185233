// What a process holds: its handle count and private bytes, read from another process.
#pragma once

#include <windows.h>

#include <optional>

namespace soak
{
struct ProcessFigures
{
    DWORD handles = 0;
    ULONGLONG privateBytes = 0;
};

// Nothing when the system gives neither figure. process: a handle with query rights.
std::optional<ProcessFigures> MeasureProcess(HANDLE process);
} // namespace soak
