#include "destination/ItemIdList.h"

#include "destination/ShellAllocator.h"

#include <cstring>

UINT GetItemIdListSize(LPCITEMIDLIST list) noexcept
{
    if (!list)
        return 0;
    const BYTE* item = reinterpret_cast<const BYTE*>(list);
    UINT size = 0;
    for (;;)
    {
        USHORT count = 0;
        std::memcpy(&count, item, sizeof count);
        if (count == 0)
            return size + sizeof count;
        size += count;
        item += count;
    }
}

LPITEMIDLIST CopyItemIdList(LPCITEMIDLIST list) noexcept
{
    if (!list)
        return nullptr;
    CShellAllocator allocator;
    if (!allocator)
        return nullptr;
    UINT size = GetItemIdListSize(list);
    void* copy = allocator.Get()->Alloc(size);
    if (!copy)
        return nullptr;
    std::memcpy(copy, list, size);
    return static_cast<LPITEMIDLIST>(copy);
}
