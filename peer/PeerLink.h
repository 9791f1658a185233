// What a running folder dialog needs of the frame: the peer's window to own it, the stop flag, the
// chooser mutex, and a place to leave the dialog for the watchdog. Replies are the frame's own.
#pragma once

#include <windows.h>

#include <cstdint>

class IPeerLink
{
  public:
    virtual HWND PeerWindow() const = 0;
    virtual bool StopRequested() const = 0;
    virtual HANDLE ChooserMutex() const = 0;
    // The folder dialog while it is open (null once it closed), for the watchdog to find it.
    virtual void SetOpenChooserDialog(HWND dialog) = 0;

  protected:
    ~IPeerLink() = default;
};

// A 32-bit window handle from a record, widened the way the system widens handles.
inline HWND HwndFromWire(std::uint32_t value)
{
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(value)));
}
