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

// How an owner tells "none" and closes its handle. Most kinds signal "none" with null; files and
// searches with INVALID_HANDLE_VALUE, which is no constant expression and so needs traits of its own.
template <class HandleType, auto CloseFunction> struct CNullIsEmpty
{
    using Type = HandleType;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type h) noexcept { CloseFunction(h); }
};

template <auto CloseFunction> struct CInvalidIsEmpty
{
    using Type = HANDLE;
    static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) noexcept { CloseFunction(h); }
};

using CHandle = CUniqueHandle<CNullIsEmpty<HANDLE, &::CloseHandle>>;
using CFileHandle = CUniqueHandle<CInvalidIsEmpty<&::CloseHandle>>;
using CFindHandle = CUniqueHandle<CInvalidIsEmpty<&::FindClose>>;
using CRegKey = CUniqueHandle<CNullIsEmpty<HKEY, &::RegCloseKey>>;
using CLibrary = CUniqueHandle<CNullIsEmpty<HMODULE, &::FreeLibrary>>;
using CWindowHandle = CUniqueHandle<CNullIsEmpty<HWND, &::DestroyWindow>>;
