#include "TempFolder.h"

#include "contentlist/ContentListText.h"
#include "framework/Handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>

namespace
{
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    CFindHandle find(::FindFirstFileA((folder + "\\*").c_str(), &entry));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileA(find.Get(), &entry) != FALSE)
    {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "\\" + name;
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path);
        else
            ::DeleteFileA(path.c_str());
    }
    find.Reset();
    ::RemoveDirectoryA(folder.c_str());
}
} // namespace

CTempFolder::CTempFolder()
{
    static std::atomic<unsigned> counter{0};
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    m_strPath = std::string(temp) + "da-contentlist-" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(::GetTickCount64()) + "-" + std::to_string(counter++);
    EXPECT_TRUE(::CreateDirectoryA(m_strPath.c_str(), nullptr)) << m_strPath;
}

CTempFolder::~CTempFolder()
{
    RemoveTree(m_strPath);
}

std::vector<std::string> CTempFolder::Names() const
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    CFindHandle find(::FindFirstFileA((m_strPath + "\\*").c_str(), &entry));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileA(find.Get(), &entry) != FALSE)
    {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(file.good()) << path;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

DWORD Attributes(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? attributes : attributes & ~DWORD{FILE_ATTRIBUTE_ARCHIVE};
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return FolderOfPath(path, SystemCodePage());
}
