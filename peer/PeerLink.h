// What a command handler may use of the frame: the peer's windows, the stop flag, the chooser
// mutex and the reply operation.
#pragma once

#include <windows.h>

#include <cstdint>

struct CResolvedFolder;

class IPeerLink
{
  public:
    virtual HWND PeerWindow() const = 0;
    virtual HWND ReplyWindow() const = 0;
    virtual bool StopRequested() const = 0;
    virtual HANDLE ChooserMutex() const = 0;
    // The folder dialog while it is open (null once it closed), for the watchdog to find it.
    virtual void SetOpenChooserDialog(HWND dialog) = 0;
    virtual LRESULT SendReply(DWORD replyCode, const void* data, DWORD size) = 0;
    // A folder the user chose is about to be sent to the peer in reply 3.
    virtual void NoteChosenFolder(const CResolvedFolder& /*folder*/) {}

  protected:
    ~IPeerLink() = default;
};

// A 32-bit window handle from a record, widened the way the system widens handles.
inline HWND HwndFromWire(std::uint32_t value)
{
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(value)));
}
