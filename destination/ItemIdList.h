// Whole shell item-id lists in memory: their size and a copy made with the shell allocator.
#pragma once

#include <windows.h>
#include <shlobj.h>

// 0 for a null list, else the items' counts plus 2 for the terminator. The list must be whole
// (from the shell, or checked with MeasureItemIdList).
UINT GetItemIdListSize(LPCITEMIDLIST list) noexcept;

// A new list with the same bytes, from the shell allocator; null for a null list or when the
// allocator or the allocation fails. The caller frees it with the shell allocator.
LPITEMIDLIST CopyItemIdList(LPCITEMIDLIST list) noexcept;
