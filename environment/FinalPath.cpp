#include "environment/FinalPath.h"

#include "framework/SystemFunction.h"

#include <vector>

namespace
{
using GetFinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

// Loaded by name: a static import would keep the program from starting on Windows XP.
GetFinalPathFn FinalPathFunction()
{
    static const GetFinalPathFn function =
        LoadedSystemFunction<GetFinalPathFn>("kernel32.dll", "GetFinalPathNameByHandleW");
    return function;
}
} // namespace

std::wstring FoldedPath(std::wstring path)
{
    if (!path.empty())
        ::CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
    return path;
}

bool SameFinalPath(const std::wstring& first, const std::wstring& second)
{
    return first.size() == second.size() && FoldedPath(first) == FoldedPath(second);
}

bool FinalPathsAvailable()
{
    return FinalPathFunction() != nullptr;
}

std::wstring WidePath(const std::string& path)
{
    if (path.empty())
        return std::wstring();
    const int length = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(),
                                             static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), &wide[0],
                          length);
    return wide;
}

std::optional<std::wstring> FinalPathOf(HANDLE handle)
{
    GetFinalPathFn function = FinalPathFunction();
    if (!function || handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        const DWORD length = function(handle, buffer.data(), static_cast<DWORD>(buffer.size()), 0);
        if (length == 0)
            return std::nullopt;
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(length + 1); // the length the path needs, terminator included
    }
    return std::nullopt;
}

CFileHandle OpenFolderHeld(const std::wstring& path, bool ownLink)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (ownLink ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    // An open for attributes alone takes no part in share-access checks: without listing access the
    // missing delete sharing would block nobody's rename or delete.
    return CFileHandle(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                                     nullptr));
}

std::wstring NativePath(const std::wstring& finalPath)
{
    if (finalPath.compare(0, 4, L"\\\\?\\") != 0)
        return finalPath;
    return L"\\??\\" + finalPath.substr(4);
}
