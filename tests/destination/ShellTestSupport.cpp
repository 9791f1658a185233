#include "tests/destination/ShellTestSupport.h"

#include "destination/ItemIdList.h"

#include <atomic>

namespace testsupport
{
namespace
{
std::atomic<int> g_counter{0};

std::string UniqueName(const char* tag)
{
    return std::string(tag) + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(++g_counter);
}
} // namespace

CParsedList::CParsedList(const std::string& path)
{
    wchar_t wide[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(::SHParseDisplayName(wide, nullptr, &list, 0, nullptr)))
        m_pList = list;
}

CParsedList::~CParsedList()
{
    ::CoTaskMemFree(m_pList);
}

LPITEMIDLIST CParsedList::Release()
{
    LPITEMIDLIST list = m_pList;
    m_pList = nullptr;
    return list;
}

std::vector<BYTE> CParsedList::Bytes() const
{
    return BytesOf(m_pList);
}

std::vector<BYTE> BytesOf(LPCITEMIDLIST list)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(list);
    return list ? std::vector<BYTE>(bytes, bytes + GetItemIdListSize(list)) : std::vector<BYTE>();
}

CSettingsScope::CSettingsScope() : m_company(UniqueName("DaTestCompany")) {}

CSettingsScope::~CSettingsScope()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\" + m_company).c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, ("Software\\" + m_company).c_str());
}
} // namespace testsupport
