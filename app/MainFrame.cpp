#include "app/MainFrame.h"

#include "destination/DownloadRequestHandler.h"
#include "environment/FileFinalizer.h"
#include "environment/ProtectedMode.h"
#include "framework/Exceptions.h"
#include "peer/AttachRequest.h"
#include "peer/Protocol.h"
#include "peer/WorkFilePoll.h"

#include <mutex>
#include <utility>

namespace
{
// The tick: the fallback poll, and the moment an idle frame closes once the watchdog has ended.
constexpr UINT kTimerPeriodMs = 1000;
// How long reply 4 may take once a stop has been requested.
constexpr UINT kLateReplyMs = 2000;

UINT MessageForCommand(std::uint32_t commandCode)
{
    switch (commandCode)
    {
    case protocol::kCommandAttach:
        return protocol::kWmAttachRequest;
    case protocol::kCommandDownload:
        return protocol::kWmDownloadRequest;
    default:
        return protocol::kWmFinishRequest;
    }
}
} // namespace

CMainFrame::CMainFrame(SettingsNames names) : m_names(std::move(names)) {}

CMainFrame::~CMainFrame()
{
    // PeerWindow goes first, so a watchdog still in its loop ends at its next check.
    m_hPeerWnd.store(nullptr);
    m_hReplyWnd = nullptr;
    RequestStop();
    if (m_pWatchdog)
    {
        ::WaitForSingleObject(m_pWatchdog->m_hThread.Get(), INFINITE);
        m_pWatchdog.reset();
    }
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    cs.style = 0;
    cs.dwExStyle = 0;
    cs.x = cs.y = cs.cx = cs.cy = 0;
    static const std::string windowClass = AfxRegisterWndClass(0);
    cs.lpszClass = windowClass.c_str();
    return TRUE;
}

BOOL CMainFrame::Create(LPCSTR className, LPCSTR, DWORD style, const RECT&, HWND, LPCSTR, DWORD exStyle,
                        void* context)
{
    return CreateEx(exStyle, className, protocol::kFrameWindowText, style, 0, 0, 0, 0, nullptr, nullptr,
                    context);
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    static const CMessageMapEntry<CMainFrame> messageMap[] = {
        {WM_CREATE, &CMainFrame::OnCreateMessage},
        {WM_TIMER, &CMainFrame::OnTimerMessage},
        {WM_CLOSE, &CMainFrame::OnCloseMessage},
        {protocol::kWmAttachRequest, &CMainFrame::OnAttachRequest},
        {protocol::kWmDownloadRequest, &CMainFrame::OnDownloadRequest},
        {protocol::kWmFinishRequest, &CMainFrame::OnFinishRequest},
    };
    LRESULT result = 0;
    if (DispatchMessageMap(this, messageMap, message, wParam, lParam, &result))
        return result;
    return CFrameWnd::WindowProc(message, wParam, lParam);
}

LRESULT CMainFrame::OnCreateMessage(WPARAM, LPARAM lParam)
{
    if (Default(WM_CREATE, 0, lParam) == -1)
        return -1;
    return OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lParam));
}

int CMainFrame::OnCreate(LPCREATESTRUCTA)
{
    m_pWatchdog.reset(AfxBeginThread(WatchdogThreadProc, static_cast<IWatchedFrame*>(this),
                                     THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED));
    if (!m_pWatchdog)
        return -1;
    // The object must outlive its thread, so that the frame can wait on the thread's handle.
    m_pWatchdog->m_bAutoDelete = FALSE;
    if (m_pWatchdog->ResumeThread() == static_cast<DWORD>(-1))
        return -1;
    m_nTimer = StartTimer();
    // Without the timer the frame would never poll and never close: fail the start instead.
    if (m_nTimer == 0)
        return -1;
    // The first poll comes at once, not a tick later: a command may already be waiting.
    ::PostMessageA(m_hWnd, WM_TIMER, m_nTimer, 0);
    return 0;
}

UINT_PTR CMainFrame::StartTimer()
{
    return ::SetTimer(m_hWnd, 1, kTimerPeriodMs, nullptr);
}

LRESULT CMainFrame::OnTimerMessage(WPARAM wParam, LPARAM lParam)
{
    OnTimer(static_cast<UINT_PTR>(wParam));
    return Default(WM_TIMER, wParam, lParam);
}

// While a command is handled, closing the frame under its handler would pull the window from
// beneath a dialog or a reply: the close becomes a stop request instead, as the watchdog makes
// one, and the frame closes at the first idle tick once the watchdog has ended.
LRESULT CMainFrame::OnCloseMessage(WPARAM wParam, LPARAM lParam)
{
    if (!m_gate.Busy())
        return CFrameWnd::WindowProc(WM_CLOSE, wParam, lParam);
    RequestStop();
    return 0;
}

void CMainFrame::OnTimer(UINT_PTR)
{
    if (m_gate.Busy())
        return;
    m_gate.OnIdleTick();
    if (PollWorkFile())
        return;
    if (WatchdogEnded())
    {
        ::PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        ::KillTimer(m_hWnd, m_nTimer);
        m_nTimer = 0;
    }
}

bool CMainFrame::WatchdogEnded() const
{
    return !m_pWatchdog || ::WaitForSingleObject(m_pWatchdog->m_hThread.Get(), 0) != WAIT_TIMEOUT;
}

int CMainFrame::PollWorkFile()
{
    if (!m_gate.RetryRead() && !TakeSignal())
        return 0;
    return ReadAndPostWorkFile(false);
}

// The event is held once it exists; while the peer has not created it, every tick looks again.
bool CMainFrame::TakeSignal()
{
    if (!m_requestEvent)
        m_requestEvent = OpenRequestEvent();
    return TakeRequestSignal(m_requestEvent.Get());
}

HANDLE CMainFrame::LoopWaitHandle() const
{
    if (!m_gate.LoopMayWait() || m_nTimer == 0)
        return nullptr;
    return m_requestEvent.Get();
}

// The loop's wait has taken the signal, exactly as the tick's own test would have.
void CMainFrame::OnWaitSignalled()
{
    if (m_gate.Busy())
        return;
    ReadAndPostWorkFile(true);
}

int CMainFrame::ReadAndPostWorkFile(bool woken)
{
    std::string folder;
    std::optional<DecodedWorkFile> decoded;
    if (GetWorkFolder(folder) && !folder.empty())
        decoded = ReadWorkFile(folder);
    const bool command = decoded && decoded->action == WorkFileAction::Post;
    m_gate.OnRead(decoded && decoded->heldOpen, decoded && decoded->removed, command, woken);
    if (!command)
        return 0;
    UINT message = MessageForCommand(decoded->commandCode);
    std::uintptr_t token = m_payloads.Add(std::make_unique<CPayload>(std::move(decoded->payload)));
    if (!::PostMessageA(m_hWnd, message, static_cast<WPARAM>(token), 0))
    {
        m_payloads.Adopt(token);
        return 0;
    }
    // Posted but not yet handled counts as busy: no other command is read meanwhile.
    m_gate.OnPosted(token);
    return 1;
}

// Only the command the poll posted is handled. Any other command message (one sent by another
// process, say) is dropped, and its payload freed if it is one of ours.
std::unique_ptr<CPayload> CMainFrame::AdoptPostedCommand(WPARAM token)
{
    std::unique_ptr<CPayload> payload = m_payloads.Adopt(static_cast<std::uintptr_t>(token));
    if (!payload || !m_gate.TakePosted(static_cast<std::uintptr_t>(token)))
        return nullptr;
    return payload;
}

LRESULT CMainFrame::SendReply(DWORD replyCode, const void* data, DWORD size)
{
    return SendReplyWithin(replyCode, data, size, 0);
}

// timeoutMs 0: as long as the reply window takes. Only a window gets a reply: the peer's attach may
// name HWND_BROADCAST, and a broadcast would hand the peer's data to every top-level window.
LRESULT CMainFrame::SendReplyWithin(DWORD replyCode, const void* data, DWORD size, UINT timeoutMs)
{
    if (!::IsWindow(m_hReplyWnd))
        return 0;
    COPYDATASTRUCT copyData = {};
    copyData.dwData = replyCode;
    copyData.cbData = size;
    copyData.lpData = size ? const_cast<void*>(data) : nullptr;
    const WPARAM sender = reinterpret_cast<WPARAM>(m_hWnd);
    const LPARAM message = reinterpret_cast<LPARAM>(&copyData);
    if (timeoutMs == 0)
        return ::SendMessageA(m_hReplyWnd, WM_COPYDATA, sender, message);
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(m_hReplyWnd, WM_COPYDATA, sender, message, SMTO_NORMAL, timeoutMs, &answer);
    return static_cast<LRESULT>(answer);
}

void CMainFrame::RequestStop()
{
    SetStopFlagUnderStopMutex(m_bStop);
    m_backstop.Arm();
}

LRESULT CMainFrame::OnAttachRequest(WPARAM wParam, LPARAM)
{
    std::unique_ptr<CPayload> payload = AdoptPostedCommand(wParam);
    if (!payload)
        return 0;
    std::optional<AttachRequest> request = DecodeAttachRequest(*payload);
    payload.reset();
    // A record shorter than its 12 bytes changes nothing and gets no reply.
    if (!request)
        return 0;
    m_hPeerWnd.store(HwndFromWire(request->peerWindow));
    m_hReplyWnd = HwndFromWire(request->replyWindow);
    SendReply(protocol::kReplyAttached, nullptr, 0);
    return 0;
}

// A command the tick posted: taken by its token, handled with the frame busy, and nothing thrown
// past the message.
void CMainFrame::RunPostedCommand(WPARAM token, const std::function<void(const CPayload&)>& handle)
{
    std::unique_ptr<CPayload> payload = AdoptPostedCommand(token);
    if (!payload)
        return;
    CCommandGate::CHandling handling(m_gate);
    RunAtEdge([&] { handle(*payload); });
}

LRESULT CMainFrame::OnDownloadRequest(WPARAM wParam, LPARAM)
{
    RunPostedCommand(wParam, [this](const CPayload& payload) {
        AnswerDownloadRequest(HandleDownloadRequest(*this, payload, m_names));
    });
    return 0;
}

// The consent is recorded before the peer hears of the folder, so that command 3 finds it.
void CMainFrame::AnswerDownloadRequest(const DownloadOutcome& outcome)
{
    switch (outcome.kind)
    {
    case DownloadOutcome::Kind::Ignored:
        return;
    case DownloadOutcome::Kind::Abandoned:
        SendReply(protocol::kReplyFolder, nullptr, 0);
        return;
    case DownloadOutcome::Kind::Accepted:
        if (outcome.consent)
            m_chosenFolders.Note(*outcome.consent);
        SendReply(protocol::kReplyResumeFlag, &outcome.resumeFlag, sizeof outcome.resumeFlag);
        SendReply(protocol::kReplyFolder, outcome.folder.c_str(),
                  static_cast<DWORD>(outcome.folder.size() + 1));
        return;
    }
}

LRESULT CMainFrame::OnFinishRequest(WPARAM wParam, LPARAM)
{
    RunPostedCommand(wParam, [this](const CPayload& payload) {
        // Read at every command, so that an administrator's change applies at once.
        auto readPolicy = [this] { return ReadFinishPolicy(m_names.companyName, m_names.productName); };
        // Holds off the backstop until the file work and its reply are done.
        std::lock_guard<CCriticalSection> work(m_backstop.FileWork());
        std::optional<std::uint32_t> result = FinishResultFor(payload, readPolicy, m_chosenFolders);
        if (result)
            SendFinishReply(*result);
    });
    return 0;
}

// Once a stop is requested the backstop waits for the file work, reply included, before it ends the
// process: the reply then gets a bounded wait, so that a peer still listening learns the outcome and
// one that no longer answers cannot hold the process.
void CMainFrame::SendFinishReply(std::uint32_t result)
{
    SendReplyWithin(protocol::kReplyFinished, &result, sizeof result, StopRequested() ? kLateReplyMs : 0);
}
