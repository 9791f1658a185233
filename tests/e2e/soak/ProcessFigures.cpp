#include "tests/e2e/soak/ProcessFigures.h"

#include "framework/Handle.h"

#include <psapi.h>

#include <cstddef>
#include <vector>

namespace soak
{
namespace
{
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);

struct HandleTableEntry
{
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleTable
{
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleTableEntry entries[1];
};

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// Wine's GetProcessHandleCount gives 0 for every process; its system handle table (as on Windows)
// lists each handle with the id of the process that holds it.
std::optional<DWORD> CountHandlesInSystemTable(DWORD processId)
{
    auto query = GetProcAddressAs<NtQuerySystemInformationFn>(::GetModuleHandleA("ntdll.dll"),
                                                              "NtQuerySystemInformation");
    if (!query)
        return std::nullopt;
    std::vector<ULONG_PTR> buffer(64 * 1024);
    for (;;)
    {
        ULONG bytes = static_cast<ULONG>(buffer.size() * sizeof buffer[0]);
        LONG status = query(kSystemExtendedHandleInformation, buffer.data(), bytes, nullptr);
        if (status == kStatusInfoLengthMismatch && buffer.size() < 64 * 1024 * 1024)
        {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status < 0)
            return std::nullopt;
        break;
    }
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const size_t room =
        (buffer.size() * sizeof buffer[0] - offsetof(HandleTable, entries)) / sizeof(HandleTableEntry);
    DWORD count = 0;
    for (size_t i = 0; i < table->count && i < room; ++i)
        count += table->entries[i].processId == processId ? 1 : 0;
    return count;
}
} // namespace

std::optional<ProcessFigures> MeasureProcess(HANDLE process)
{
    ProcessFigures figures;
    if (!::GetProcessHandleCount(process, &figures.handles) || figures.handles == 0)
    {
        std::optional<DWORD> counted = CountHandlesInSystemTable(::GetProcessId(process));
        if (!counted)
            return std::nullopt;
        figures.handles = *counted;
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        return std::nullopt;
    // Windows gives the same figure in both fields; Wine leaves PrivateUsage 0 and gives the
    // process's anonymous (private) memory as PagefileUsage.
    figures.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    return figures;
}
} // namespace soak
