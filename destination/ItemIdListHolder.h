// Owns one shell item-id list, freed with the shell allocator.
#pragma once

#include <windows.h>
#include <shlobj.h>

class ItemIdListHolder
{
  public:
    ItemIdListHolder() = default;
    virtual ~ItemIdListHolder();
    ItemIdListHolder(const ItemIdListHolder&) = delete;
    ItemIdListHolder& operator=(const ItemIdListHolder&) = delete;

    // Frees the held list, then holds a copy of list (empty for null or a failed copy).
    // The argument stays the caller's.
    void Set(LPCITEMIDLIST list) noexcept;
    // Takes over a list that the shell allocated for the caller.
    void Adopt(LPITEMIDLIST list) noexcept;
    // Fills a 260-byte buffer with the list's file-system path (left as it was when there is none).
    void GetPath(char* buffer) const noexcept;
    LPCITEMIDLIST Get() const noexcept { return m_pList; }

  private:
    LPITEMIDLIST m_pList = nullptr;
};
