// The watchdog thread: ends the assistant when the peer goes away, says so, or never attaches,
// and clears away any dialog the UI thread has open at that moment.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

// What the watchdog reads and sets on the frame; every read is safe from another thread.
class IWatchedFrame
{
  public:
    virtual HWND PeerWindow() const = 0;
    virtual bool StopRequested() const = 0;
    virtual void RequestStop() = 0;
    virtual HWND FrameWindow() const = 0;
    virtual HANDLE ChooserMutex() const = 0;
    // The folder dialog the chooser saw open, or null: found whatever its caption's language.
    virtual HWND OpenChooserDialog() const = 0;

  protected:
    ~IWatchedFrame() = default;
};

struct WatchdogTimings
{
    DWORD cycleMs = 1000;
    DWORD missingCyclesToStop = 5;
    DWORD chooserMutexWaitMs = 1000;
    DWORD dismissPassPauseMs = 500;
    // A child that ignores every dismissal message must not keep the passes going for ever.
    DWORD maxDismissPasses = 10;
    // The window-text query waits no longer than this for the UI thread, which may itself be
    // waiting for the watchdog (the frame destroyed from outside).
    DWORD textQueryTimeoutMs = 1000;
};

// The dismissal steps on their own, for tests with windows of their own.
// The UI thread's folder dialog: the known dialog, or the top-level window titled caption.
HWND FindFolderChooser(DWORD uiThread, HWND knownDialog, const std::string& caption,
                       DWORD textQueryTimeoutMs);
// Passes over the chooser's children with a dialog frame until one closes none (at most
// maxDismissPasses), then Escape and WM_CLOSE to the chooser. Returns the passes made.
DWORD DismissChooser(HWND chooser, HWND frameWindow, const WatchdogTimings& timings);
// Posts WM_CLOSE, IDYES and IDOK to every top-level window of the thread that has a dialog frame,
// never to frameWindow. Returns how many windows were dismissed.
int DismissThreadDialogs(DWORD uiThread, HWND frameWindow);

// Thread procedure; the parameter is the IWatchedFrame. Always returns 0.
UINT WatchdogThreadProc(LPVOID frame);

// Sets the stop flag under StopMutex. When that mutex can be neither created nor opened (its name
// taken by another kind of object), or another process holds it too long, the flag is still set:
// the assistant must be able to stop.
void SetStopFlagUnderStopMutex(std::atomic<BOOL>& stopFlag);
