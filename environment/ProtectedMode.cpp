#include "environment/ProtectedMode.h"

#include "framework/CodePage.h"
#include "framework/Handle.h"
#include "framework/SystemFunction.h"
#include "framework/SystemVersion.h"

#include <objbase.h>
#include <shlobj.h>

#include <atomic>
#include <memory>
#include <vector>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace
{
std::atomic<int> g_versionAnswer{-1};

// FOLDERID_LocalAppData, spelled out so no import library is needed for it.
const GUID kFolderIdLocalAppData = {
    0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};

using SHGetKnownFolderPathFn = HRESULT(WINAPI*)(REFGUID, DWORD, HANDLE, PWSTR*);
using IEGetWriteableHKCUFn = HRESULT(WINAPI*)(HKEY*);

// Where the closing run of backslashes begins, or npos when the folder does not end in one.
size_t TrailingBackslashRun(const std::string& folder, const CCodePage& codePage)
{
    size_t runStart = std::string::npos;
    for (size_t pos = 0; pos < folder.size(); pos += codePage.CharLength(folder, pos))
    {
        if (folder[pos] == '\\')
        {
            if (runStart == std::string::npos)
                runStart = pos;
        }
        else
        {
            runStart = std::string::npos;
        }
    }
    return runStart;
}

std::string NarrowFromWide(const wchar_t* text)
{
    int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(size));
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), size, nullptr, nullptr);
    return std::string(buffer.data());
}

// A library of the system's, from the system folder alone: never one planted beside the program.
// LOAD_LIBRARY_SEARCH_SYSTEM32 is understood only where kernel32 has AddDllDirectory (Windows 8, or
// Vista and 7 with KB2533623); elsewhere the full path names the file, and its own imports are
// searched from its folder first.
HMODULE LoadSystemLibrary(const char* fileName)
{
    using AddDllDirectoryFn = void*(WINAPI*)(PCWSTR);
    if (LoadedSystemFunction<AddDllDirectoryFn>("kernel32.dll", "AddDllDirectory"))
        return ::LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    char folder[MAX_PATH] = {};
    UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    std::string path = std::string(folder) + "\\" + fileName;
    return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

std::string SystemTempPath()
{
    char buffer[MAX_PATH + 1] = {};
    DWORD length = ::GetTempPathA(MAX_PATH, buffer);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    return std::string(buffer);
}
} // namespace

int ClassifyVersion(DWORD platformId, DWORD majorVersion)
{
    if (platformId != VER_PLATFORM_WIN32_NT)
        return -1;
    return majorVersion >= 6 ? 1 : 0;
}

bool IsVistaOrLater()
{
    int answer = g_versionAnswer.load();
    if (answer >= 0)
        return answer == 1;
    const OSVERSIONINFOA info = ReportedSystemVersion();
    answer = ClassifyVersion(info.dwPlatformId, info.dwMajorVersion);
    if (answer < 0)
        return false;
    g_versionAnswer.store(answer);
    return answer == 1;
}

bool GetLowTempFolder(std::string& folder)
{
    CLibrary shell32(::LoadLibraryA("shell32.dll"));
    if (!shell32)
        return false;
    auto getKnownFolderPath = GetProcAddressAs<SHGetKnownFolderPathFn>(shell32.Get(), "SHGetKnownFolderPath");
    if (!getKnownFolderPath)
        return false;
    PWSTR wide = nullptr;
    const HRESULT found = getKnownFolderPath(kFolderIdLocalAppData, 0, nullptr, &wide);
    const std::unique_ptr<wchar_t, decltype(&::CoTaskMemFree)> owned(wide, &::CoTaskMemFree);
    if (FAILED(found))
        return false;
    std::string localAppData = NarrowFromWide(owned.get());
    size_t run = TrailingBackslashRun(localAppData, SystemCodePage());
    if (run != std::string::npos)
        localAppData.erase(run);
    folder = localAppData + "\\Temp\\Low";
    return true;
}

std::string EnsureTrailingBackslash(const std::string& folder, const CCodePage& codePage)
{
    std::string result = folder;
    size_t run = TrailingBackslashRun(result, codePage);
    if (run != std::string::npos)
        result.erase(run);
    result += '\\';
    return result;
}

bool ChooseWorkFolder(bool vistaOrLater, const std::function<bool(std::string&)>& lowTempFolder,
                      const std::function<std::string()>& tempPath, const CCodePage& codePage,
                      std::string& folder)
{
    std::string found;
    if (vistaOrLater)
    {
        // No fallback to the ordinary temporary folder: a low-integrity peer cannot write there.
        if (!lowTempFolder(found))
            return false;
    }
    else
    {
        found = tempPath();
    }
    if (found.empty())
        return false;
    folder = EnsureTrailingBackslash(found, codePage);
    return true;
}

bool GetWorkFolder(std::string& folder)
{
    return ChooseWorkFolder(IsVistaOrLater(), GetLowTempFolder, SystemTempPath, SystemCodePage(), folder);
}

HKEY GetWriteableUserRoot()
{
    HKEY root = nullptr;
    CLibrary ieframe(LoadSystemLibrary("ieframe.dll"));
    if (!ieframe)
        return nullptr;
    auto getWriteable = GetProcAddressAs<IEGetWriteableHKCUFn>(ieframe.Get(), "IEGetWriteableHKCU");
    if (getWriteable)
        getWriteable(&root);
    return root;
}
