#include "framework/FrameWnd.h"

#include "framework/CriticalSection.h"
#include "framework/Exceptions.h"
#include "framework/StringResource.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <unordered_map>

namespace
{
// Which frame owns which window, kept in this process alone: any process of the desktop can
// rewrite a window's own storage (GWLP_USERDATA), so nothing is read from there. A window's
// messages reach only the thread that made it, but frames may live on several threads.
class CFrameTable
{
  public:
    void Bind(HWND hwnd, CFrameWnd* frame)
    {
        std::lock_guard<CCriticalSection> lock(m_lock);
        m_frames[hwnd] = frame;
    }

    void Unbind(HWND hwnd)
    {
        std::lock_guard<CCriticalSection> lock(m_lock);
        m_frames.erase(hwnd);
    }

    CFrameWnd* Find(HWND hwnd)
    {
        std::lock_guard<CCriticalSection> lock(m_lock);
        auto found = m_frames.find(hwnd);
        return found == m_frames.end() ? nullptr : found->second;
    }

  private:
    CCriticalSection m_lock;
    std::unordered_map<HWND, CFrameWnd*> m_frames;
};

CFrameTable& Frames()
{
    static CFrameTable table;
    return table;
}

// The frame whose window this thread is creating: only its own creation binds a frame to a window.
thread_local CFrameWnd* t_pCreating = nullptr;

bool IsCreationMessage(UINT message)
{
    return message == WM_NCCREATE || message == WM_CREATE;
}

bool IsDestructionMessage(UINT message)
{
    return message == WM_DESTROY || message == WM_NCDESTROY;
}

std::atomic<CFrameWnd::WindowGoneHandler> g_onWindowGone{nullptr};
} // namespace

void CFrameWnd::SetWindowGoneHandler(WindowGoneHandler handler) noexcept
{
    g_onWindowGone.store(handler);
}

CFrameWnd::~CFrameWnd()
{
    if (m_hWnd)
    {
        // Half destroyed, the frame takes no more messages.
        Frames().Unbind(m_hWnd);
        DestroyWindow();
    }
}

void CFrameWnd::DestroyWindow()
{
    m_bDestroying = true;
    ::DestroyWindow(m_hWnd);
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, HWND parent, void* context)
{
    m_strTitle = AfxLoadString(resourceId);
    CREATESTRUCTA cs = {};
    cs.style = style;
    cs.hwndParent = parent;
    cs.lpszName = m_strTitle.c_str();
    if (!PreCreateWindow(cs))
        return FALSE;
    RECT rect = {cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy};
    return Create(cs.lpszClass, cs.lpszName, cs.style, rect, parent, nullptr, cs.dwExStyle, context);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass)
    {
        static const std::string defaultClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
        cs.lpszClass = defaultClass.c_str();
    }
    return TRUE;
}

BOOL CFrameWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, HWND parent,
                       LPCSTR, DWORD exStyle, void* context)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent, nullptr, context);
}

BOOL CFrameWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                         int width, int height, HWND parent, HMENU idOrMenu, void* param)
{
    (void)param;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    // The object travels in lpCreateParams; StaticWindowProc binds it on WM_NCCREATE, and only
    // while this call lasts.
    CFrameWnd* const outer = t_pCreating;
    t_pCreating = this;
    m_bCreating = true;
    HWND hwnd = ::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent,
                                  idOrMenu, instance, this);
    t_pCreating = outer;
    // A window destroyed during its creation has taken its frame with it.
    if (hwnd)
        m_bCreating = false;
    return hwnd != nullptr;
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
    {
        DestroyWindow();
        return 0;
    }
    return Default(message, wParam, lParam);
}

LRESULT CFrameWnd::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CFrameWnd::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    CFrameWnd* frame = Frames().Find(hwnd);
    if (message == WM_NCCREATE && !frame && t_pCreating)
    {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (cs && cs->lpCreateParams == t_pCreating)
        {
            frame = t_pCreating;
            frame->m_hWnd = hwnd;
            Frames().Bind(hwnd, frame);
        }
    }
    if (!frame)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    // Any process of the desktop can send these to the frame: outside the frame's own creation and
    // destruction they are no news, and their parameters are not to be trusted.
    if ((IsCreationMessage(message) && !frame->m_bCreating) ||
        (IsDestructionMessage(message) && !frame->m_bDestroying && !frame->m_bCreating))
        return 0;
    if (message == WM_NCDESTROY)
    {
        frame->OnNcDestroy();
        return 0;
    }
    return frame->HandleAtEdge(message, wParam, lParam);
}

LRESULT CFrameWnd::HandleAtEdge(UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    LRESULT result = 0;
    // A creation that throws must fail rather than leave a half-made frame.
    if (!RunAtEdge([&] { result = WindowProc(message, wParam, lParam); }))
        return message == WM_CREATE ? -1 : 0;
    return result;
}

void CFrameWnd::OnNcDestroy()
{
    HWND hwnd = m_hWnd;
    Frames().Unbind(hwnd);
    ::DefWindowProcA(hwnd, WM_NCDESTROY, 0, 0);
    m_hWnd = nullptr;
    if (const WindowGoneHandler handler = g_onWindowGone.load())
        handler(this);
    PostNcDestroy();
}

std::string AfxRegisterWndClass(UINT classStyle)
{
    char name[64];
    std::snprintf(name, sizeof name, "Afx:frame:%x", classStyle);
    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = &CFrameWnd::StaticWindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    WNDCLASSA existing = {};
    if (!::GetClassInfoA(wc.hInstance, name, &existing))
        ::RegisterClassA(&wc);
    return name;
}
