// The version this Windows reports. GetVersionExA is deprecated, but it is the one call that
// answers on every system the programs start on; the assistant's manifest declares every Windows
// since Vista, so it is not answered with an older version than the real one.
#pragma once

#include <windows.h>

inline OSVERSIONINFOA ReportedSystemVersion() noexcept
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
    ::GetVersionExA(&info);
    return info;
}

// Windows NT 6 or later: Vista and every Windows since.
inline bool IsVistaOrLaterSystem() noexcept
{
    const OSVERSIONINFOA info = ReportedSystemVersion();
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion >= 6;
}
