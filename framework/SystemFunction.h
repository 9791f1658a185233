// Functions of Windows looked up by name at run time, for what older systems lack: a static import
// of one would keep the program from starting there (see scripts/xp-imports).
#pragma once

#include <windows.h>

// GetProcAddress with the function's real type; the detour through void(*)() keeps the cast legal
// and quiet on every compiler. Null for a null module or a missing function.
template <class Function> Function GetProcAddressAs(HMODULE module, const char* name) noexcept
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)))
                  : nullptr;
}

// A function of a library every process has loaded (kernel32, ntdll...); null where it is missing.
template <class Function> Function LoadedSystemFunction(const char* module, const char* name) noexcept
{
    return GetProcAddressAs<Function>(::GetModuleHandleA(module), name);
}
