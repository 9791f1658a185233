// Real shell objects for the destination tests: item-id lists of real folders and a registry key
// removed afterwards.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace testsupport
{
// A list the shell parsed from path, owned and freed with the shell allocator.
class CParsedList
{
  public:
    explicit CParsedList(const std::string& path);
    ~CParsedList();
    CParsedList(const CParsedList&) = delete;
    CParsedList& operator=(const CParsedList&) = delete;
    LPITEMIDLIST Get() const { return m_pList; }
    // Gives the list away (to a chooser's Result); the caller frees it.
    LPITEMIDLIST Release();
    std::vector<BYTE> Bytes() const;

  private:
    LPITEMIDLIST m_pList = nullptr;
};

std::vector<BYTE> BytesOf(LPCITEMIDLIST list);

// A unique company name whose key below HKCU\Software is deleted when the scope ends.
class CSettingsScope
{
  public:
    CSettingsScope();
    ~CSettingsScope();
    CSettingsScope(const CSettingsScope&) = delete;
    CSettingsScope& operator=(const CSettingsScope&) = delete;
    const std::string& Company() const { return m_company; }
    std::string ProductKey() const { return "Software\\" + m_company + "\\Product"; }

  private:
    std::string m_company;
};
} // namespace testsupport
