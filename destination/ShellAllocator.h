// The shell's allocator (IMalloc from SHGetMalloc), released when its owner goes. Every item-id
// list of the destination code is allocated and freed through it.
#pragma once

#include <windows.h>
#include <shlobj.h>

class CShellAllocator
{
  public:
    CShellAllocator() noexcept
    {
        if (FAILED(::SHGetMalloc(&m_pMalloc)))
            m_pMalloc = nullptr;
    }
    ~CShellAllocator()
    {
        if (m_pMalloc)
            m_pMalloc->Release();
    }
    CShellAllocator(const CShellAllocator&) = delete;
    CShellAllocator& operator=(const CShellAllocator&) = delete;

    IMalloc* Get() const noexcept { return m_pMalloc; }
    explicit operator bool() const noexcept { return m_pMalloc != nullptr; }

    // Frees nothing when there is no allocator or no block.
    void Free(void* block) const noexcept
    {
        if (m_pMalloc && block)
            m_pMalloc->Free(block);
    }

  private:
    IMalloc* m_pMalloc = nullptr;
};
