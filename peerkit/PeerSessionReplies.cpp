// The peer's side of the replies: the kit's hidden windows, which take only what the assistant's
// frame sends in the shapes it sends.
#include "peerkit/PeerSession.h"

#include "peerkit/MessagePump.h"

#include "peer/Protocol.h"

#include <string>
#include <unordered_map>
#include <utility>

namespace peerkit
{
namespace
{
constexpr const char* kWindowClass = "DaPeerKitWindow";

// Which session owns which of the kit's windows, kept in this process: any process of the desktop
// can rewrite a window's GWLP_USERDATA. A window's messages reach only the thread that made it,
// so each thread keeps the table of its own windows.
std::unordered_map<HWND, CPeerSession*>& SessionsOfThisThread()
{
    thread_local std::unordered_map<HWND, CPeerSession*> sessions;
    return sessions;
}

CPeerSession* SessionOf(HWND window)
{
    auto& sessions = SessionsOfThisThread();
    auto found = sessions.find(window);
    return found == sessions.end() ? nullptr : found->second;
}

struct FindFrameContext
{
    DWORD processId;
    HWND found;
};

// The text is read without a message (GetWindowText does not send one to another process's
// window), so a hung or hostile window cannot hold the peer here.
bool IsFrameOf(HWND window, DWORD processId)
{
    DWORD pid = 0;
    if (!window || !::GetWindowThreadProcessId(window, &pid) || (processId && pid != processId))
        return false;
    char text[64] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return std::string(text) == protocol::kFrameWindowText;
}

BOOL CALLBACK FindFrameProc(HWND window, LPARAM param) noexcept
{
    auto* context = reinterpret_cast<FindFrameContext*>(param);
    if (!IsFrameOf(window, context->processId))
        return TRUE;
    context->found = window;
    return FALSE;
}
} // namespace

HWND CPeerSession::CreateHiddenWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &CPeerSession::ReplyWindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    ::RegisterClassA(&wc);
    HWND window = ::CreateWindowExA(0, kWindowClass, "peer", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (window)
        SessionsOfThisThread()[window] = this;
    return window;
}

LRESULT CALLBACK CPeerSession::ReplyWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_NCDESTROY)
        SessionsOfThisThread().erase(hwnd);
    if (message != WM_COPYDATA)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    CPeerSession* session = SessionOf(hwnd);
    auto* copyData = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!session || !copyData)
        return FALSE;
    try
    {
        return session->TakeReply(hwnd, wParam, *copyData) ? TRUE : FALSE;
    }
    catch (...)
    {
        return FALSE;
    }
}

bool CPeerSession::TakeReply(HWND receiver, WPARAM sender, const COPYDATASTRUCT& copyData)
{
    Reply reply;
    reply.sender = reinterpret_cast<HWND>(sender);
    if (!IsFrameOf(reply.sender, m_processId))
        return false;
    reply.code = static_cast<std::uint32_t>(copyData.dwData);
    reply.dataPointerNull = copyData.lpData == nullptr;
    if (copyData.cbData && !copyData.lpData)
        return false;
    if (copyData.cbData)
    {
        auto* bytes = static_cast<const std::uint8_t*>(copyData.lpData);
        reply.data.assign(bytes, bytes + copyData.cbData);
    }
    if (reply.code != copyData.dwData || !ReplyWellFormed(reply.code, reply.data))
        return false;
    reply.receiver = receiver;
    m_replies.push_back(std::move(reply));
    return true;
}

std::optional<Reply> CPeerSession::WaitForReply(DWORD timeoutMs)
{
    if (!PumpMessagesUntil(timeoutMs, nullptr, [&] { return !m_replies.empty(); }))
        return std::nullopt;
    Reply reply = std::move(m_replies.front());
    m_replies.pop_front();
    return reply;
}

std::vector<Reply> CPeerSession::TakeReplies()
{
    Pump(0);
    std::vector<Reply> replies(m_replies.begin(), m_replies.end());
    m_replies.clear();
    return replies;
}

HWND CPeerSession::FindFrameWindow() const
{
    FindFrameContext context{m_processId, nullptr};
    ::EnumWindows(FindFrameProc, reinterpret_cast<LPARAM>(&context));
    return context.found;
}
} // namespace peerkit
