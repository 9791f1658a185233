#include "destination/ItemIdListHolder.h"

#include "destination/ItemIdList.h"
#include "destination/ShellAllocator.h"

ItemIdListHolder::~ItemIdListHolder()
{
    Adopt(nullptr);
}

void ItemIdListHolder::Set(LPCITEMIDLIST list) noexcept
{
    Adopt(nullptr);
    m_pList = CopyItemIdList(list);
}

void ItemIdListHolder::Adopt(LPITEMIDLIST list) noexcept
{
    if (m_pList)
        CShellAllocator().Free(m_pList);
    m_pList = list;
}

void ItemIdListHolder::GetPath(char* buffer) const noexcept
{
    if (buffer && m_pList)
        ::SHGetPathFromIDListA(m_pList, buffer);
}
