// One owner type for every kind of OS handle: movable, never copyable, closed on scope exit.
#pragma once

#include <windows.h>

template <class Traits> class CUniqueHandle
{
  public:
    using Type = typename Traits::Type;

    CUniqueHandle() noexcept : m_h(Traits::Empty()) {}
    explicit CUniqueHandle(Type h) noexcept : m_h(h) {}
    ~CUniqueHandle() { Reset(); }

    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    explicit operator bool() const noexcept { return m_h != Traits::Empty(); }
    Type Get() const noexcept { return m_h; }

    Type Release() noexcept
    {
        Type h = m_h;
        m_h = Traits::Empty();
        return h;
    }

    void Reset(Type h = Traits::Empty()) noexcept
    {
        if (m_h != Traits::Empty())
            Traits::Close(m_h);
        m_h = h;
    }

    // For APIs that return a handle through an out parameter.
    Type* Put() noexcept
    {
        Reset();
        return &m_h;
    }

  private:
    Type m_h;
};

struct CKernelHandleTraits
{
    using Type = HANDLE;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};

// Files and searches signal "none" with INVALID_HANDLE_VALUE, not null.
struct CFileHandleTraits
{
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::CloseHandle(h); }
};

struct CFindHandleTraits
{
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { ::FindClose(h); }
};

struct CRegKeyTraits
{
    using Type = HKEY;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::RegCloseKey(h); }
};

struct CLibraryTraits
{
    using Type = HMODULE;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::FreeLibrary(h); }
};

struct CWindowTraits
{
    using Type = HWND;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ::DestroyWindow(h); }
};

using CHandle = CUniqueHandle<CKernelHandleTraits>;
using CFileHandle = CUniqueHandle<CFileHandleTraits>;
using CFindHandle = CUniqueHandle<CFindHandleTraits>;
using CRegKey = CUniqueHandle<CRegKeyTraits>;
using CLibrary = CUniqueHandle<CLibraryTraits>;
using CWindowHandle = CUniqueHandle<CWindowTraits>;
