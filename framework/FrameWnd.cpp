#include "framework/FrameWnd.h"

#include "framework/Exceptions.h"
#include "framework/WinApp.h"

#include <cstdio>

CFrameWnd::~CFrameWnd()
{
    if (m_hWnd)
    {
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
    }
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
    HINSTANCE instance = AfxGetApp() ? AfxGetApp()->m_hInstance : ::GetModuleHandleA(nullptr);
    // The object travels in lpCreateParams; StaticWindowProc binds it on WM_NCCREATE.
    HWND hwnd = ::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent,
                                  idOrMenu, instance, this);
    return hwnd != nullptr;
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE)
    {
        ::DestroyWindow(m_hWnd);
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
    if (message == WM_NCCREATE)
    {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* frame = static_cast<CFrameWnd*>(cs->lpCreateParams);
        frame->m_hWnd = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    }
    auto* frame = reinterpret_cast<CFrameWnd*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!frame)
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
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
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    ::DefWindowProcA(hwnd, WM_NCDESTROY, 0, 0);
    m_hWnd = nullptr;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this)
    {
        app->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    PostNcDestroy();
}

std::string AfxRegisterWndClass(UINT classStyle)
{
    char name[64];
    std::snprintf(name, sizeof name, "Afx:frame:%x", classStyle);
    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.lpfnWndProc = &CFrameWnd::StaticWindowProc;
    wc.hInstance = AfxGetApp() ? AfxGetApp()->m_hInstance : ::GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    WNDCLASSA existing = {};
    if (!::GetClassInfoA(wc.hInstance, name, &existing))
        ::RegisterClassA(&wc);
    return name;
}
