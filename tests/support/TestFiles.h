// Throw-away folders and raw file access for the tests that work on real files under Wine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testfiles
{
// A fresh folder under the temporary folder, removed with everything in it (read-only entries and
// sub-folders included) when the scope ends.
class CTempFolder
{
  public:
    explicit CTempFolder(const std::string& tag = "test");
    // Below folder (ending in a backslash) instead of the temporary folder.
    CTempFolder(const std::string& tag, const std::string& folder);
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }
    // The names of the entries matching pattern, files and folders, sorted.
    std::vector<std::string> Names(const std::string& pattern = "*") const;

  private:
    std::string m_path;
};

// A registry key below HKEY_CURRENT_USER that is deleted, with everything below it, when the
// scope begins and again when it ends, so that no earlier run or later test sees its values.
class CRegistryScope
{
  public:
    explicit CRegistryScope(std::string subkey, HKEY root = HKEY_CURRENT_USER);
    ~CRegistryScope();
    CRegistryScope(const CRegistryScope&) = delete;
    CRegistryScope& operator=(const CRegistryScope&) = delete;
    const std::string& Subkey() const { return m_subkey; }

  private:
    std::string m_subkey;
    HKEY m_root;
};

// A name no other test program of this run uses, for events and other named objects.
std::string UniqueName(const std::string& tag);

// The names of the entries of folder (a drive's root too) matching pattern, sorted.
std::vector<std::string> NamesIn(const std::string& folder, const std::string& pattern = "*");
void RemoveTree(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
// Empty when the file cannot be read.
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);
// Without the archive attribute, which Wine reports on every file.
DWORD Attributes(const std::string& path);
// The file's identity on its volume: equal before and after a rename, new for a copy.
ULONGLONG FileIndex(const std::string& path);
// Gives the file a protected DACL of its own that lets everyone write, as a fetcher might leave it;
// false unless it then differs from the folder's.
bool GiveOwnDacl(const std::string& path);
} // namespace testfiles
