#include "peer/Watchdog.h"

#include "framework/Exceptions.h"
#include "framework/Handle.h"
#include "framework/MutexHold.h"
#include "framework/StringResource.h"
#include "peer/Protocol.h"
#include "resources/resource.h"

#include <cstring>
#include <string>

namespace
{
constexpr int kTextBufferChars = 2048;
// Another process holding StopMutex for ever must not keep the assistant from stopping.
constexpr DWORD kStopMutexWaitMs = 5000;

struct FindChooserContext
{
    HWND chooser = nullptr;
    HWND knownDialog = nullptr;
    std::string caption;
    DWORD timeoutMs = 1000;
};

struct CloseDialogsContext
{
    HWND frameWindow = nullptr;
    BOOL* closedAny = nullptr;
    int dismissed = 0;
};

BOOL CALLBACK FindFolderChooserProc(HWND window, LPARAM param) noexcept
{
    auto* context = reinterpret_cast<FindChooserContext*>(param);
    if (!window)
        return TRUE;
    if (window == context->knownDialog)
    {
        context->chooser = window;
        return FALSE;
    }
    char text[kTextBufferChars] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, kTextBufferChars, reinterpret_cast<LPARAM>(text),
                               SMTO_BLOCK | SMTO_ABORTIFHUNG, context->timeoutMs, &copied))
        return TRUE;
    text[kTextBufferChars - 1] = '\0';
    if (!context->caption.empty() && context->caption == text)
    {
        context->chooser = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CloseDialogsProc(HWND window, LPARAM param) noexcept
{
    auto* context = reinterpret_cast<CloseDialogsContext*>(param);
    if (!window)
        return TRUE;
    if (!context->frameWindow)
    {
        if (context->closedAny)
            *context->closedAny = FALSE;
        return FALSE;
    }
    if (window == context->frameWindow || !(::GetWindowLongA(window, GWL_STYLE) & WS_DLGFRAME))
        return TRUE;
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ::PostMessageA(window, WM_COMMAND, IDYES, 0);
    ::PostMessageA(window, WM_COMMAND, IDOK, 0);
    if (context->closedAny)
        *context->closedAny = TRUE;
    ++context->dismissed;
    return TRUE;
}

// Returns true when the loop ended with the stop flag set and dismissal is to follow,
// false when the frame is going away without a peer (nothing to dismiss).
bool WatchPeer(IWatchedFrame& frame, HANDLE quitEvent, const WatchdogTimings& timings)
{
    DWORD missingCount = 0;
    for (;;)
    {
        ::Sleep(timings.cycleMs);
        HWND peer = frame.PeerWindow();
        if (!peer)
        {
            if (frame.StopRequested())
                return false;
            if (++missingCount == timings.missingCyclesToStop)
                frame.RequestStop();
        }
        else if (!::IsWindow(peer) || ::WaitForSingleObject(quitEvent, 0) != WAIT_TIMEOUT)
        {
            frame.RequestStop();
        }
        if (frame.StopRequested())
            return true;
    }
}

void DismissDialogs(IWatchedFrame& frame, HWND frameWindow, const WatchdogTimings& timings)
{
    DWORD uiThread = frameWindow ? ::GetWindowThreadProcessId(frameWindow, nullptr) : 0;

    // While the folder dialog is open the UI thread holds this mutex; give it a second.
    {
        CMutexHold held(frame.ChooserMutex(), timings.chooserMutexWaitMs);
    }
    if (!uiThread)
        return;

    HWND chooser = FindFolderChooser(uiThread, frame.OpenChooserDialog(),
                                     AfxLoadString(IDS_BROWSE_FOR_FOLDER), timings.textQueryTimeoutMs);
    if (chooser && ::IsWindow(chooser))
        DismissChooser(chooser, frameWindow, timings);
    DismissThreadDialogs(uiThread, frameWindow);
}

UINT RunWatchdog(IWatchedFrame& frame, const WatchdogTimings& timings)
{
    CHandle quitEvent(::OpenEventA(protocol::kEventAllAccess, FALSE, protocol::kQuitEventName));
    if (!quitEvent)
        return 0;
    // The frame's window exists while the frame starts the watchdog; later it may be gone.
    HWND frameWindow = frame.FrameWindow();
    if (WatchPeer(frame, quitEvent.Get(), timings))
        DismissDialogs(frame, frameWindow, timings);
    return 0;
}
} // namespace

HWND FindFolderChooser(DWORD uiThread, HWND knownDialog, const std::string& caption, DWORD textQueryTimeoutMs)
{
    FindChooserContext find;
    find.knownDialog = knownDialog;
    find.caption = caption;
    find.timeoutMs = textQueryTimeoutMs;
    ::EnumThreadWindows(uiThread, FindFolderChooserProc, reinterpret_cast<LPARAM>(&find));
    return find.chooser;
}

DWORD DismissChooser(HWND chooser, HWND frameWindow, const WatchdogTimings& timings)
{
    DWORD passes = 0;
    while (passes < timings.maxDismissPasses)
    {
        ++passes;
        BOOL closedAny = FALSE;
        CloseDialogsContext context{frameWindow, &closedAny};
        ::EnumChildWindows(chooser, CloseDialogsProc, reinterpret_cast<LPARAM>(&context));
        ::Sleep(timings.dismissPassPauseMs);
        if (!closedAny)
            break;
    }
    ::PostMessageA(chooser, WM_KEYDOWN, VK_ESCAPE, 1);
    ::PostMessageA(chooser, WM_CLOSE, 0, 0);
    return passes;
}

int DismissThreadDialogs(DWORD uiThread, HWND frameWindow)
{
    CloseDialogsContext context{frameWindow, nullptr};
    ::EnumThreadWindows(uiThread, CloseDialogsProc, reinterpret_cast<LPARAM>(&context));
    return context.dismissed;
}

UINT WatchdogThreadProc(LPVOID param)
{
    auto* frame = static_cast<IWatchedFrame*>(param);
    if (!frame)
        return 0;
    RunAtEdge([&] { RunWatchdog(*frame, WatchdogTimings()); });
    return 0;
}

void SetStopFlagUnderStopMutex(std::atomic<BOOL>& stopFlag)
{
    CHandle mutex(::CreateMutexA(nullptr, FALSE, protocol::kStopMutexName));
    CMutexHold held(mutex.Get(), kStopMutexWaitMs);
    stopFlag.store(TRUE);
}
