// A top-level frame window with a message map. The window procedure never lets an exception
// out; the object deletes itself once its window is gone, and the application's main window
// ends the message loop when it is destroyed.
#pragma once

#include <windows.h>

#include <string>

class CFrameWnd
{
  public:
    CFrameWnd() = default;
    virtual ~CFrameWnd();
    CFrameWnd(const CFrameWnd&) = delete;
    CFrameWnd& operator=(const CFrameWnd&) = delete;

    // Registers nothing itself: PreCreateWindow chooses the class, Create makes the window.
    BOOL LoadFrame(UINT resourceId, DWORD style, HWND parent, void* context);

    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, HWND parent,
                        LPCSTR menuName, DWORD exStyle, void* context);

    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU idOrMenu, void* param);

    HWND m_hWnd = nullptr;

    // A kernel object the application's message loop waits on besides the queue, while the
    // frame returns one; OnWaitSignalled runs on the loop's thread once the wait has taken it.
    virtual HANDLE LoopWaitHandle() const { return nullptr; }
    virtual void OnWaitSignalled() {}

    // Told of every frame whose window is gone, before the frame's PostNcDestroy: the application
    // object ends its loop there when that frame is its main window.
    using WindowGoneHandler = void (*)(CFrameWnd* frame);
    static void SetWindowGoneHandler(WindowGoneHandler handler) noexcept;

  protected:
    // Derived frames look their message map up here and pass the rest on.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void PostNcDestroy() { delete this; }
    // The one way the frame destroys its window; WM_DESTROY and WM_NCDESTROY count only then.
    void DestroyWindow();

  public:
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

  private:
    LRESULT HandleAtEdge(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void OnNcDestroy();

    std::string m_strTitle;
    bool m_bCreating = false;
    bool m_bDestroying = false;
};

// A message map entry: the handler takes wParam and lParam and returns the message's result.
template <class TFrame> struct CMessageMapEntry
{
    UINT message;
    LRESULT (TFrame::*handler)(WPARAM, LPARAM);
};

// Looks message up in the map; true with *result set when a handler took it.
template <class TFrame, size_t N>
bool DispatchMessageMap(TFrame* frame, const CMessageMapEntry<TFrame> (&map)[N], UINT message, WPARAM wParam,
                        LPARAM lParam, LRESULT* result)
{
    for (const auto& entry : map)
    {
        if (entry.message == message)
        {
            *result = (frame->*entry.handler)(wParam, lParam);
            return true;
        }
    }
    return false;
}

// Registers (once) and names a window class of the given class style with no cursor, brush or icon.
std::string AfxRegisterWndClass(UINT classStyle);
