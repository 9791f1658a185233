#include "tests/support/TestFiles.h"

#include "framework/Handle.h"
#include "tools/dlcpeer/MachineProbes.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>

namespace testfiles
{
namespace
{
std::string TempPath()
{
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    return temp;
}

// A byte test for a final backslash would misread a double-byte name whose trail byte is 0x5C,
// so only a drive's root ("P:\\") is taken to end in one.
std::string Join(const std::string& folder, const std::string& name)
{
    const bool driveRoot = folder.size() == 3 && folder[1] == ':' && folder[2] == '\\';
    return driveRoot ? folder + name : folder + "\\" + name;
}

// Every entry of folder matching pattern except "." and "..", with its attributes.
std::vector<WIN32_FIND_DATAA> Entries(const std::string& folder, const std::string& pattern)
{
    std::vector<WIN32_FIND_DATAA> entries;
    WIN32_FIND_DATAA entry;
    CFindHandle find(::FindFirstFileA(Join(folder, pattern).c_str(), &entry));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileA(find.Get(), &entry) != FALSE)
    {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..")
            entries.push_back(entry);
    }
    return entries;
}
} // namespace

CTempFolder::CTempFolder(const std::string& tag) : CTempFolder(tag, TempPath())
{
}

CTempFolder::CTempFolder(const std::string& tag, const std::string& folder)
{
    // Several programs of one test run share the temporary folder, some of them at once.
    static std::atomic<unsigned> counter{0};
    m_path = folder + "da-" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(::GetTickCount64()) + "-" + std::to_string(counter++);
    ::CreateDirectoryA(m_path.c_str(), nullptr);
}

CTempFolder::~CTempFolder()
{
    RemoveTree(m_path);
}

std::vector<std::string> CTempFolder::Names(const std::string& pattern) const
{
    return NamesIn(m_path, pattern);
}

std::vector<std::string> NamesIn(const std::string& folder, const std::string& pattern)
{
    std::vector<std::string> names;
    for (const WIN32_FIND_DATAA& entry : Entries(folder, pattern))
        names.push_back(entry.cFileName);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const std::string& path)
{
    for (const WIN32_FIND_DATAA& entry : Entries(path, "*"))
    {
        const std::string child = Join(path, entry.cFileName);
        ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(child);
        else
            ::DeleteFileA(child.c_str());
    }
    ::RemoveDirectoryA(path.c_str());
}

CRegistryScope::CRegistryScope(std::string subkey, HKEY root) : m_subkey(std::move(subkey)), m_root(root)
{
    ::RegDeleteTreeA(m_root, m_subkey.c_str());
}

CRegistryScope::~CRegistryScope()
{
    ::RegDeleteTreeA(m_root, m_subkey.c_str());
    ::RegDeleteKeyA(m_root, m_subkey.c_str());
}

std::string UniqueName(const std::string& tag)
{
    static std::atomic<unsigned> counter{0};
    return "da-test-" + tag + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(counter++);
}


bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD Attributes(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? attributes : attributes & ~DWORD{FILE_ATTRIBUTE_ARCHIVE};
}

ULONGLONG FileIndex(const std::string& path)
{
    CFileHandle file(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!file || !::GetFileInformationByHandle(file.Get(), &info))
        return 0;
    return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

bool GiveOwnDacl(const std::string& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;WD)", SDDL_REVISION_1, &descriptor,
                                                                nullptr))
        return false;
    const bool given = ::SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor) != FALSE;
    ::LocalFree(descriptor);
    return given && !peerkit::probes::HasFolderDacl(path); // else no test could tell a reset from none
}
} // namespace testfiles
